#include "remediation/wininit_text.h"

#include <cctype>

namespace vs {
namespace {

constexpr std::size_t kPieceLength = 647;  // a read buffer of 648 bytes, one kept for the zero
constexpr char kSectionHeader[] = "[rename]";
constexpr std::size_t kSectionHeaderLength = sizeof kSectionHeader - 1;

bool beginsWithSectionHeader(const std::string& piece) {
  if (piece.size() < kSectionHeaderLength) return false;
  for (std::size_t i = 0; i < kSectionHeaderLength; ++i) {
    if (std::tolower(static_cast<unsigned char>(piece[i])) != kSectionHeader[i]) return false;
  }
  return true;
}

// The next piece as fgets gives it: up to and including a line feed, at most kPieceLength bytes.
std::string nextPiece(const std::string& content, std::size_t from) {
  std::size_t end = content.find('\n', from);
  end = end == std::string::npos ? content.size() : end + 1;
  if (end - from > kPieceLength) end = from + kPieceLength;
  return content.substr(from, end - from);
}

}  // namespace

std::string renameEntryLine(const std::string& destination, const std::string& source) {
  return destination + "=" + source + "\r\n";
}

std::string withRenameEntry(const std::string& content, const std::string& entryLine) {
  std::string result;
  result.reserve(content.size() + entryLine.size() + kSectionHeaderLength + 4);
  bool inSection = false;
  bool inserted = false;
  bool atLineStart = true;
  for (std::size_t at = 0; at < content.size();) {
    const std::string piece = nextPiece(content, at);
    if (!inserted && atLineStart) {
      if (!inSection && beginsWithSectionHeader(piece)) {
        inSection = true;
      } else if (inSection && piece[0] == '[') {
        result += entryLine;
        inserted = true;
      }
    }
    result += piece;
    atLineStart = piece.back() == '\n';
    at += piece.size();
  }
  if (inserted) return result;
  // A last line without a line end keeps its text: the new lines start on a line of their own.
  if (!result.empty() && result.back() != '\n') result += "\r\n";
  if (!inSection) result += std::string(kSectionHeader) + "\r\n";
  return result + entryLine;
}

}  // namespace vs
