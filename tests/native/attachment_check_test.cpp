// The encoded-attachment check of the hosts file: the "begin" header, the head and tail texts, the
// search, the length modes, the deletion and its report, and that no comparison leaves its buffer.
#include "engine/attachment_check.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/matcher.h"
#include "engine_fixture.h"

namespace vs::test {
namespace {

constexpr const char* kHosts = "C:\\WINDOWS\\hosts";

// The first two body lines of the worm's attachment, as an encoder writes them.
constexpr const char* kBody1 =
    R"uu(MF;3256COD61YPAVV[[QYV,JFA_]*=4S,9HZ%!C,O4"Q7@6X!JH`'5ZE9)\!D)uu";
constexpr const char* kBody2 =
    R"uu(M6>_[$ZH_KR2&4+W\`WYR,P`K*V1//F@GZ2^VAGR-_2Z]K_>KD8RNCC4WPQO`)uu";

std::string attachment(const char* header = "begin 644 hosts.pif") {
  return std::string(header) + "\r\n" + kBody1 + "\r\n" + kBody2 + "\r\n`\r\nend\r\n";
}

// Text without white space that cannot hold any part of the pattern.
std::string filler(std::size_t length) {
  return std::string(length, 'q');
}

class AttachmentCheckTest : public EngineFixture {
 protected:
  int check(const std::string& content) {
    os.addFile(kHosts, content);
    return checkEncodedAttachment(ctx, kFamilyName, kHosts);
  }
};

struct Case {
  const char* what;
  std::string content;
  bool matches;
};

std::vector<Case> cases() {
  const std::string body = std::string(kBody1) + kBody2;
  std::string spread = "begin 644 x\r\n";
  for (char c : body) spread += std::string(1, c) + (c == 'M' ? "\r\n" : " \t");
  return {
      {"an attachment", attachment(), true},
      {"header in capitals", attachment("BEGIN 644 HOSTS.PIF"), true},
      {"white space anywhere inside the pattern", spread, true},
      {"an ordinary hosts file", "127.0.0.1       localhost\r\n" + attachment(), false},
      {"header after a blank", " " + attachment(), false},
      {"one byte of the pattern changed",
       "begin 644 x\r\n" + std::string(kBody1).replace(30, 1, "Q") + "\r\n" + kBody2 + "\r\n",
       false},
      {"shorter than the header", "begi", false},
      {"empty", "", false},
      {"shorter than the pattern", "begin " + std::string(kBody1), false},
      {"a long file with the pattern in its first 4096 bytes", attachment() + filler(9000), true},
      {"a long file with the pattern only further on",
       "begin 644 x\r\n" + filler(5000) + "\r\n" + kBody1 + kBody2 + "\r\n" + filler(5000), false},
      {"a long file with the pattern only in its last 4096 bytes",
       "begin 644 x\r\n" + filler(9000) + "\r\n" + kBody1 + kBody2 + "\r\nend\r\n", false},
      {"pattern straddling the end of the head text",
       "begin 644 x\r\n" + filler(4096 - 13 - 50) + kBody1 + kBody2 + filler(2000), false},
  };
}

TEST(AttachmentCheckCases, RecognisesTheAttachmentInTheHeadText) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    sim::SimMachine machine;
    ScanSession state;
    ScanContext context{machine, state};
    machine.addFile(kHosts, c.content);
    EXPECT_EQ(checkEncodedAttachment(context, kFamilyName, kHosts), c.matches ? 1 : 0);
    EXPECT_EQ(machine.exists(kHosts), !c.matches);
    EXPECT_EQ(state.filesInfected, c.matches ? 1 : 0);
  }
}

TEST_F(AttachmentCheckTest, DeletesAndReportsAMatch) {
  session.filesInfected = 3;
  EXPECT_EQ(check(attachment()), 1);
  EXPECT_EQ(reportLines, std::vector<std::string>{"C:\\WINDOWS\\hosts     W32/Quarr.Worm removed"});
  EXPECT_EQ(session.filesInfected, 4);
  EXPECT_EQ(session.filesRemoved, 1);
  EXPECT_EQ(session.restartNeeded, 0);
}

TEST_F(AttachmentCheckTest, AFailedDeletionIsReportedAndStillAMatch) {
  os.addFile(kHosts, attachment(), kAttrReadOnly);
  EXPECT_EQ(checkEncodedAttachment(ctx, kFamilyName, kHosts), 1);
  EXPECT_EQ(reportLines,
            std::vector<std::string>{"C:\\WINDOWS\\hosts     W32/Quarr.Worm Remove failed"});
  EXPECT_EQ(session.filesInfected, 1);
  EXPECT_EQ(session.filesRemoved, 0);
  EXPECT_TRUE(os.exists(kHosts));
  // The check neither resets attributes nor schedules anything.
  EXPECT_TRUE(os.callsStartingWith("setAttributes ").empty());
  EXPECT_TRUE(os.pendingDeletes.empty());
}

TEST_F(AttachmentCheckTest, NoMatchSaysNothingAndTouchesNothing) {
  EXPECT_EQ(check("# hosts\r\n127.0.0.1 localhost\r\n"), 0);
  os.find(kHosts)->denyOpen = true;
  EXPECT_EQ(checkEncodedAttachment(ctx, kFamilyName, kHosts), 0);
  EXPECT_EQ(checkEncodedAttachment(ctx, kFamilyName, "C:\\WINDOWS\\missing"), 0);
  EXPECT_TRUE(reportLines.empty());
  EXPECT_TRUE(os.callsStartingWith("delete ").empty());
}

TEST_F(AttachmentCheckTest, ThePatternIsRestoredOnceForTheWholeRun) {
  EXPECT_EQ(check("nothing"), 0);
  ASSERT_EQ(session.attachmentPatternRestored, 1);
  const std::string restored(reinterpret_cast<const char*>(session.attachmentTable[0].pattern),
                             100);
  EXPECT_EQ(restored, (std::string(kBody1) + kBody2).substr(0, 100));
  // The built-in table itself keeps its scrambled bytes.
  EXPECT_NE(std::memcmp(kAttachmentTable[0].pattern, restored.data(), 100), 0);
  // Later checks find the same pattern.
  os.addFile("C:\\h1", attachment());
  os.addFile("C:\\h2", attachment());
  EXPECT_EQ(checkEncodedAttachment(ctx, kFamilyName, "C:\\h1"), 1);
  EXPECT_EQ(checkEncodedAttachment(ctx, kFamilyName, "C:\\h2"), 1);
}

TEST(AttachmentTable, HoldsTheOneRecord) {
  // Packed fields are read into values first: a reference to one could be misaligned.
  const AttachmentRecord& record = kAttachmentTable[0];
  EXPECT_STREQ(record.name, "W32/Quarr.Worm");
  const std::vector<int> fields = {record.lengthValue, record.textPosition,   record.patternLength,
                                   record.textPart,    record.searchAnywhere, record.unused1,
                                   record.lengthMode,  record.unused2};
  EXPECT_EQ(fields, (std::vector<int>{134042, 1888, 100, 0, 1, 4, 18, 0}));
}

// Records other than the built-in one, tested on texts made directly.
AttachmentRecord record(const std::string& pattern) {
  AttachmentRecord r{};
  std::snprintf(r.name, sizeof r.name, "Test");
  r.patternLength = static_cast<std::uint16_t>(pattern.size());
  std::memcpy(r.pattern, pattern.data(), pattern.size());
  r.searchAnywhere = 1;
  return r;
}

AttachmentTexts texts(const std::string& head, const std::string& tail) {
  AttachmentTexts t{};
  std::memcpy(t.headText, head.data(), head.size());
  t.headLength = static_cast<std::int32_t>(head.size());
  std::memcpy(t.tailText, tail.data(), tail.size());
  t.tailLength = static_cast<std::int32_t>(tail.size());
  return t;
}

TEST(AttachmentRecords, TextPartPositionAndLengthModes) {
  const AttachmentTexts t = texts("beginHEADxyz", "TAILabcEND");
  struct Row {
    const char* what;
    std::string pattern;
    std::int16_t textPart, searchAnywhere, textPosition, lengthMode;
    std::int32_t lengthValue;
    std::int64_t fileLength;
    bool matches;
  };
  const Row rows[] = {
      {"head searched", "HEAD", 0, 1, 0, 0, 0, 5000, true},
      {"head does not hold the tail", "abc", 0, 1, 0, 0, 0, 5000, false},
      {"tail searched", "abc", 1, 1, 0, 0, 0, 5000, true},
      {"search range is the file's length", "HEAD", 0, 1, 0, 0, 0, 5, false},
      {"pattern longer than the file", "HEAD", 0, 1, 0, 0, 0, 3, false},
      {"head at a fixed position", "HEAD", 0, 0, 5, 0, 0, 5000, true},
      {"head at another position", "HEAD", 0, 0, 4, 0, 0, 5000, false},
      {"tail counted from its end", "abc", 1, 0, 6, 0, 0, 5000, true},
      {"tail position before its start", "TAIL", 1, 0, 11, 0, 0, 5000, false},
      {"position past the text", "HEAD", 0, 0, 30000, 0, 0, 5000, false},
      {"negative position", "HEAD", 0, 0, -3, 0, 0, 5000, false},
      {"mode 16 with value 0", "HEAD", 0, 1, 0, 16, 0, 5000, true},
      {"mode 16 with another value", "HEAD", 0, 1, 0, 16, 1, 5000, false},
      {"mode 17 at the upper bound", "HEAD", 0, 1, 0, 17, 4096, 5000, true},
      {"mode 17 past the upper bound", "HEAD", 0, 1, 0, 17, 4097, 5000, false},
      {"mode 17 at the lower bound", "HEAD", 0, 1, 0, 17, -4096, 5000, true},
      {"mode 17 past the lower bound", "HEAD", 0, 1, 0, 17, -4097, 5000, false},
      {"other modes accept any length", "HEAD", 0, 1, 0, 18, 134042, 5000, true},
      {"pattern length 0 disables the record", "", 0, 1, 0, 0, 0, 5000, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    AttachmentRecord r = record(row.pattern);
    r.textPart = row.textPart;
    r.searchAnywhere = row.searchAnywhere;
    r.textPosition = row.textPosition;
    r.lengthMode = row.lengthMode;
    r.lengthValue = row.lengthValue;
    EXPECT_EQ(attachmentRecordMatches(r, t, row.fileLength), row.matches);
  }
}

TEST(AttachmentRecords, ComparisonsStayInsideTheirBuffers) {
  // A full text whose last byte starts the pattern: the comparison runs past the text into the
  // zeroed work buffer, never past it (the sanitizer would stop the test).
  std::string full(kAttachmentTextSize, 'q');
  full.back() = 'Z';
  const AttachmentTexts t = texts(full, full);
  AttachmentRecord r = record(std::string("Z") + std::string(99, 'y'));
  EXPECT_FALSE(attachmentRecordMatches(r, t, 1 << 20));
  // A pattern whose rest is zero matches there, on the zeros past the text.
  r = record(std::string("Z") + std::string(99, '\0'));
  EXPECT_TRUE(attachmentRecordMatches(r, t, 1 << 20));
  // A fixed position near the end compares the bytes left and zeros.
  r.searchAnywhere = 0;
  r.textPosition = kAttachmentTextSize - 1;
  EXPECT_TRUE(attachmentRecordMatches(r, t, 1 << 20));
  // A length the record cannot hold is never compared.
  r.patternLength = kAttachmentPatternCapacity + 1;
  EXPECT_FALSE(attachmentRecordMatches(r, t, 1 << 20));
}

}  // namespace
}  // namespace vs::test
