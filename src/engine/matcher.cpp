#include "engine/matcher.h"

#include <cstring>

#include "engine/disposal.h"
#include "engine/text.h"
#include "remediation/registry_cleanup.h"

namespace vs {
namespace {

bool probeMatches(ReadableFile& file, const PeImageInfo& info, std::uint32_t fileLength,
                  std::int32_t probeOffset, const std::uint8_t* expected) {
  const std::uint32_t address = info.addressOfEntryPoint + static_cast<std::uint32_t>(probeOffset);
  std::uint8_t found[kProbeLength];
  return readAt(file, rvaToFileOffset(address, info, fileLength), found, kProbeLength) &&
         std::memcmp(found, expected, kProbeLength) == 0;
}

}  // namespace

int findMatchingRecord(const SignatureRecord* table, ReadableFile& file, const PeImageInfo& info,
                       std::uint32_t fileLength) {
  for (int i = 0; table[i].name[0] != '\0'; ++i) {
    const SignatureRecord& record = table[i];
    if (!sizeTestPasses(record, fileLength)) continue;
    if (!probeMatches(file, info, fileLength, record.probeOffset1, record.probeBytes1)) continue;
    if (!probeMatches(file, info, fileLength, record.probeOffset2, record.probeBytes2)) continue;
    return i;
  }
  return -1;
}

int examineFile(Platform& os, const TargetFile& file, std::int64_t listedSize,
                std::int64_t* length) {
  // Every record demands a length; a file whose listed length none accepts cannot match, so it
  // is not opened at all. The length is taken again from the open file.
  static const AcceptedSizes accepted(kSignatureTable);
  if (listedSize >= 0 && !accepted.accepts(listedSize)) return -1;
  std::unique_ptr<ReadableFile> opened = openTarget(os, file);
  if (!opened) return -1;
  const std::int64_t fileLength = opened->length();
  if (length) *length = fileLength;
  // Lengths of 2 GiB and more fit no record; they are kept out of the 32-bit address mapping.
  if (fileLength < 0 || fileLength > 0x7FFFFFFF || !accepted.accepts(fileLength)) {
    return -1;
  }
  PeImageInfo info;
  if (!readPeHeaders(*opened, info)) return -1;
  return findMatchingRecord(kSignatureTable, *opened, info, static_cast<std::uint32_t>(fileLength));
}

int matchSignatures(ScanContext& ctx, const char* familyName, const char* path) {
  ScanSession& s = ctx.session;
  const TargetFile file(path, ctx.widePath);
  if (s.memoryDisposalPending && s.mainWindow) {
    disposeMemoryImage(ctx, file, familyName);
    return 0;
  }
  if (s.filesInfected == 0) s.rememberedRunValue[0] = '\0';

  std::int64_t length = -1;
  const int index = examineFile(ctx.os, file, ctx.listedSize, &length);
  if (index < 0) {
    s.currentFilePath[0] = '\0';
    s.currentWidePath.clear();
    return 0;
  }
  // The file is closed again before the cleanup and the deletion.
  std::memset(s.currentFilePath, 0, sizeof s.currentFilePath);
  copyText(s.currentFilePath, sizeof s.currentFilePath, path);
  s.currentWidePath = file.wide() ? file.widePath : u"";
  s.currentFileSize = static_cast<std::int32_t>(length);

  const SignatureRecord& record = kSignatureTable[index];
  s.filesInfected += 1;
  removeRegistryTraces(ctx, record.name);
  if (s.singleFileMode) {
    s.singleFileMatched = 1;
    return 1;
  }
  disposeInfectedFile(ctx, file, record.name);
  s.currentFilePath[0] = '\0';
  s.currentWidePath.clear();
  return 1;
}

}  // namespace vs
