// What every backend answers through the wide calls, which reach what the ANSI calls cannot: paths
// longer than their 260-character buffers and names the ANSI code page cannot spell. Rows write
// paths in UTF-8; the runner hands the wide calls their UTF-16 form.
#include "conformance/conformance.h"
#include "conformance/steps.h"

namespace vs::conformance {
namespace {

using namespace steps;

constexpr std::uint32_t D = kAttrDirectory;
constexpr std::uint32_t R = kAttrReadOnly;

const Listed kDot{".", D};
const Listed kDotDot{"..", D};

// A file whose path is longer than the ANSI buffers, and a folder whose own path is.
const std::string kFarFolder(150, 'd');
const std::string kFarName = std::string(116, 'f') + ".exe";
const std::string kFarPath = kFarFolder + "\\" + kFarName;
const std::string kDeepName(120, 'e');
const std::string kDeepFolder = kFarFolder + "\\" + kDeepName;

// Two names of Chinese characters, which the ANSI code pages of Western systems cannot spell and
// render alike ("??.exe").
const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87.exe";     // U+4E2D U+6587
const std::string kChineseToo = "\xE4\xB8\xAD\xE5\x9B\xBD.exe";  // U+4E2D U+56FD

const std::string kImageIsEvidence =
    "an image is evidence and never written: it answers as a write-protected disk";
const std::string kHostNamesAreUtf8 =
    "this host's names are UTF-8, which spells every name: no ANSI name is lost";

std::vector<Step> farPathSteps(bool writable) {
  std::vector<Step> steps{
      listFails(kDeepFolder + "\\*.*", kErrorFilenameExcedRange),
      listedWide(kFarFolder + "\\*.*", {kDot, kDotDot, {kFarName, 0, 5}, {kDeepName, D, 0}}),
      listedWide(kDeepFolder + "\\*.*", {kDot, kDotDot, {"a.exe", 0, 2}}),
      existsWide(kFarPath),
      existsWide(kDeepFolder),
      opensWide(kFarPath),
      lengthIs(5),
      reads(10, "12345"),
      opensWide(kDeepFolder + "\\a.exe"),
      reads(10, "MZ")};
  if (writable) {
    steps.insert(steps.end(),
                 {setsAttributesWide(kFarPath, R), deleteWideFails(kFarPath, kErrorAccessDenied),
                  setsAttributesWide(kFarPath, kAttrArchive), deletesWide(kFarPath),
                  existsWideFails(kFarPath, kErrorFileNotFound)});
  } else {
    steps.insert(steps.end(),
                 {setAttributesWideFails(kFarPath, R, kErrorWriteProtect),
                  deleteWideFails(kFarPath, kErrorWriteProtect), existsWide(kFarPath)});
  }
  return steps;
}

// lost: the names whose ANSI form the ANSI listing marks as lost.
std::vector<Step> unspellableSteps(std::vector<std::string> lost, bool writable) {
  std::vector<Step> steps{
      listedWide("*.*",
                 {kDot, kDotDot, {kChinese, 0, 3}, {kChineseToo, 0, 3}, {"plain.exe", 0, 2}}),
      lostNames("*.*", std::move(lost)),
      // Each is opened by its own name, though the code page spells both alike.
      opensWide(kChinese), reads(10, "MZ1"), opensWide(kChineseToo), reads(10, "MZ2"),
      existsWide("plain.exe")};
  if (writable) {
    steps.insert(steps.end(), {deletesWide(kChinese), existsWideFails(kChinese, kErrorFileNotFound),
                               existsWide(kChineseToo)});
  } else {
    steps.insert(steps.end(),
                 {deleteWideFails(kChinese, kErrorWriteProtect), existsWide(kChinese)});
  }
  return steps;
}

}  // namespace

std::vector<Row> wideFileRows() {
  const std::string beyond(kMaxWidePath + 1, 'x');
  return {
      {"WideCallsReachPathsLongerThanTheAnsiCallsTake",
       {file(kFarPath, "12345"), file(kDeepFolder + "\\a.exe", "MZ")},
       {},
       farPathSteps(true),
       {{Backend::DiskImage, kImageIsEvidence, farPathSteps(false)}}},
      {"WideCallsReachNamesTheCodePageCannotSpell",
       {file(kChinese, "MZ1"), file(kChineseToo, "MZ2"), file("plain.exe", "MZ")},
       {},
       unspellableSteps({kChinese, kChineseToo}, true),
       {{Backend::SimulatedHostFolder, kHostNamesAreUtf8, unspellableSteps({}, true)},
        {Backend::MountedVolume, kHostNamesAreUtf8, unspellableSteps({}, true)},
        {Backend::DiskImage, kHostNamesAreUtf8 + "; " + kImageIsEvidence,
         unspellableSteps({}, false)}}},
      {"WideCallsTellAMissingNameFromAMissingFolder",
       {file("plain.txt", "p")},
       {},
       {existsWideFails("missing.txt", kErrorFileNotFound),
        existsWideFails("nodir\\x.txt", kErrorPathNotFound),
        openWideFails("missing.exe", kErrorFileNotFound),
        openWideFails("nodir\\x.exe", kErrorPathNotFound),
        listWideFails("nodir\\*.*", kErrorPathNotFound),
        listWideFails("*.zzz", kErrorFileNotFound)}},
      {"WideCallsRefusePathsLongerThanTheyTake",
       {},
       {},
       {existsWideFails(beyond, kErrorFilenameExcedRange),
        openWideFails(beyond, kErrorFilenameExcedRange),
        listWideFails(beyond + "\\*.*", kErrorFilenameExcedRange),
        setAttributesWideFails(beyond, kAttrArchive, kErrorFilenameExcedRange),
        deleteWideFails(beyond, kErrorFilenameExcedRange)}},
  };
}

}  // namespace vs::conformance
