// What every backend answers for the files and directories the engine asks about.
#include "conformance/conformance.h"
#include "conformance/steps.h"

namespace vs::conformance {
namespace {

using namespace steps;

constexpr std::uint32_t D = kAttrDirectory;
constexpr std::uint32_t R = kAttrReadOnly;
constexpr std::uint32_t H = kAttrHidden;
constexpr std::uint32_t S = kAttrSystem;
constexpr std::uint32_t L = kAttrReparsePoint;
constexpr std::uint64_t kBeyondFourGigabytes = (std::uint64_t{5} << 30) + 123;

const Listed kDot{".", D};
const Listed kDotDot{"..", D};

std::string counting(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i);
  return bytes;
}

// A folder and a file whose path is longer than the ANSI calls take, under any row folder, while
// the folder's own listing pattern still fits.
const std::string kLongFolder(150, 'd');
const std::string kLongName = std::string(116, 'f') + ".exe";
const std::string kLongPath = kLongFolder + "\\" + kLongName;

const std::string kImageIsEvidence =
    "an image is evidence and never written: it answers as a write-protected disk";

const Deviation kHostFolderHasNoHiddenBits{Backend::SimulatedHostFolder,
                                           "a host folder keeps no hidden or system bit"};
const Deviation kMountedVolumeHasNoHiddenBits{Backend::MountedVolume,
                                              "a host folder keeps no hidden or system bit"};

std::vector<Row> makeRows() {
  const std::string hundred = counting(100);
  return {
      {"ListingGivesNamesAttributesAndSizes",
       {file("small.bin", "12345"), file("readonly.txt", "r", R), file("x.y.z", ""),
        directory("sub")},
       {},
       {listed("*.*", {kDot,
                       kDotDot,
                       {"small.bin", 0, 5},
                       {"readonly.txt", R, 1},
                       {"x.y.z", 0, 0},
                       {"sub", D, 0}})}},
      {"HiddenAndSystemBitsAreListed",
       {file("hidden.txt", "h", H), file("system.dat", "s", S), file("all.exe", "a", R | H | S)},
       {},
       {listed("*.*",
               {kDot, kDotDot, {"hidden.txt", H}, {"system.dat", S}, {"all.exe", R | H | S}})},
       {kHostFolderHasNoHiddenBits, kMountedVolumeHasNoHiddenBits}},
      {"OneFilesPathListsThatFileAlone",
       {file("victim.exe", "MZ"), file("victim.exe.bak", "MZ")},
       {},
       {listed("victim.exe", {{"victim.exe", 0, 2}})}},
      {"NamesAreFoundIgnoringLetterCase",
       {file("Dir\\File.txt", "abc")},
       {},
       {listed("DIR\\*.*", {kDot, kDotDot, {"File.txt", 0, 3}}),
        listed("dir\\FILE.TXT", {{"File.txt", 0, 3}}), exists("DIR\\file.TXT"),
        opens("dIr\\fILE.txt"), reads(10, "abc")}},
      {"NothingToListGivesNoListingAndTheReason",
       {file("a.txt", "a")},
       {},
       {listFails("missing\\*.*", kErrorPathNotFound), listFails("*.zzz", kErrorFileNotFound),
        listFails("gone.exe", kErrorFileNotFound)}},
      {"AMissingNameAndAMissingFolderAreToldApart",
       {file("plain.txt", "p")},
       {},
       {existsFails("missing.txt", kErrorFileNotFound),
        existsFails("nodir\\x.txt", kErrorPathNotFound),
        readableFails("missing.txt", kErrorFileNotFound),
        readableFails("nodir\\x.txt", kErrorPathNotFound),
        openFails("missing.exe", kErrorFileNotFound), openFails("nodir\\x.exe", kErrorPathNotFound),
        deleteFails("missing.exe", kErrorFileNotFound),
        deleteFails("nodir\\x.exe", kErrorPathNotFound),
        setAttributesFails("missing.exe", kAttrArchive, kErrorFileNotFound),
        existsFails("Q:\\x.txt", kErrorFileNotFound), openFails("Q:\\x.txt", kErrorFileNotFound),
        listFails("Q:\\*.*", kErrorPathNotFound)}},
      {"FilesAndFoldersExistAndAreReadable",
       {file("plain.txt", "p"), file("readonly.txt", "r", R), directory("Program Files")},
       {},
       {exists("plain.txt"), readable("plain.txt"), exists("Program Files"),
        readable("Program Files"), readable("readonly.txt")}},
      {"ReadsSeeksAndShortReads",
       {file("f.bin", hundred)},
       {},
       {opens("f.bin"), lengthIs(100), reads(4, hundred.substr(0, 4)), seeks(40),
        reads(4, hundred.substr(40, 4)), seeks(90), reads(20, hundred.substr(90)),
        readsCount(20, 0),
        // Past the end the seek succeeds and reads find nothing; before the start it fails.
        seeks(1000), readsCount(20, 0), seekFails(-1, kErrorNegativeSeek)}},
      {"LengthsBeyondThirtyTwoBits",
       {sparseFile("big.bin", kBeyondFourGigabytes)},
       {},
       {listed("big.bin", {{"big.bin", 0, static_cast<std::int64_t>(kBeyondFourGigabytes)}}),
        opens("big.bin"), lengthIs(static_cast<std::int64_t>(kBeyondFourGigabytes)),
        seeks(static_cast<std::int64_t>(kBeyondFourGigabytes) - 8), readsCount(20, 8)},
       {{Backend::SimulatedMemory, "in-memory drives hold no files of gigabytes"},
        {Backend::DiskImage,
         "The Sleuth Kit refuses a sparse file longer than the file system that holds it"}}},
      {"AFolderIsNeitherOpenedForReadingNorDeleted",
       {directory("sub")},
       {},
       {openFails("sub", kErrorAccessDenied), deleteFails("sub", kErrorAccessDenied),
        exists("sub")}},
      {"AFileThatVanishesAfterTheListingCannotBeOpened",
       {file("gone.exe", "MZ")},
       {},
       {listed("*.*", {kDot, kDotDot, {"gone.exe", 0, 2}}), vanishes("gone.exe"),
        openFails("gone.exe", kErrorFileNotFound)},
       {{Backend::DiskImage, "nothing vanishes from an image while it is read"}}},
      {"AReadOnlyFileResistsDeletionUntilReset",
       {file("ro.exe", "MZ", R)},
       {},
       {deleteFails("ro.exe", kErrorAccessDenied), exists("ro.exe"),
        setsAttributes("ro.exe", kAttrArchive), listed("ro.exe", {{"ro.exe", 0, 2}}),
        deletes("ro.exe"), existsFails("ro.exe", kErrorFileNotFound)},
       {{Backend::DiskImage,
         kImageIsEvidence,
         {deleteFails("ro.exe", kErrorWriteProtect),
          setAttributesFails("ro.exe", kAttrArchive, kErrorWriteProtect),
          listed("ro.exe", {{"ro.exe", R, 2}})}}}},
      {"HiddenSystemFilesAreResetAndDeleted",
       {file("hs.exe", "MZ", R | H | S)},
       {},
       {setsAttributes("hs.exe", kAttrArchive), listed("hs.exe", {{"hs.exe", 0, 2}}),
        deletes("hs.exe"), existsFails("hs.exe", kErrorFileNotFound)},
       {kHostFolderHasNoHiddenBits,
        kMountedVolumeHasNoHiddenBits,
        {Backend::DiskImage,
         kImageIsEvidence,
         {setAttributesFails("hs.exe", kAttrArchive, kErrorWriteProtect),
          deleteFails("hs.exe", kErrorWriteProtect),
          listed("hs.exe", {{"hs.exe", R | H | S, 2}})}}}},
      {"LinksAreReparsePointsAndReadThrough",
       {file("target.exe", "MZ"), directory("sub"), fileLink("link.exe", "target.exe"),
        directoryLink("dirlink", "sub")},
       {},
       {listed("*.*", {kDot,
                       kDotDot,
                       {"target.exe", 0, 2},
                       {"sub", D, 0},
                       {"link.exe", L, 0},
                       {"dirlink", D | L, 0}}),
        opens("link.exe"), reads(10, "MZ"), deletes("link.exe"), exists("target.exe")},
       {{Backend::RealSystem, "Wine 8 makes no symbolic links"},
        {Backend::SimulatedMemory, "in-memory drives hold no links"},
        {Backend::DiskImage,
         "an image's links are listed as Windows lists them but never followed (the walk opens "
         "no link), and the image is never written",
         {listed("*.*", {kDot,
                         kDotDot,
                         {"target.exe", 0, 2},
                         {"sub", D, 0},
                         {"link.exe", L, 0},
                         {"dirlink", D | L, 0}}),
          deleteFails("link.exe", kErrorWriteProtect), exists("target.exe")}}}},
      {"PathsLongerThanTheAnsiCallsTakeAreRefused",
       {file(kLongPath, "MZ")},
       {},
       {listed(kLongFolder + "\\*.*", {kDot, kDotDot, {kLongName, 0, 2}}),
        existsFails(kLongPath, kErrorFilenameExcedRange),
        openFails(kLongPath, kErrorFilenameExcedRange),
        listFails(kLongPath, kErrorFilenameExcedRange),
        deleteFails(kLongPath, kErrorFilenameExcedRange)}},
      {"TheLastErrorOutlivesLaterSuccesses",
       {file("here.txt", "h")},
       {},
       {openFails("gone.txt", kErrorFileNotFound), exists("here.txt"),
        lastErrorIs(kErrorFileNotFound),
        // A listing read to its end leaves the end's own code, as FindNextFile does.
        listed("*.*", {kDot, kDotDot, {"here.txt", 0, 1}}), lastErrorIs(kErrorNoMoreFiles)}},
      {"DrivesAreFixedOrAbsent",
       {},
       {},
       {driveTypeIs("", kDriveFixed), driveTypeIs("Q:\\", kDriveNoRootDir)}},
  };
}

}  // namespace

const std::vector<Row>& fileRows() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> all = makeRows();
    std::vector<Row> wide = wideFileRows();
    all.insert(all.end(), wide.begin(), wide.end());
    return all;
  }();
  return rows;
}

}  // namespace vs::conformance
