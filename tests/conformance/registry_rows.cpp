// What every backend answers for the registry calls of the cleanup, below the row's own key.
#include "conformance/conformance.h"
#include "conformance/steps.h"

namespace vs::conformance {
namespace {

using namespace steps;

// Strings come back with their terminator.
std::string text(const char* value) {
  return std::string(value) + '\0';
}

const std::vector<RegistryItem> kThreeValues{
    {"", "First", "1"}, {"", "Second", "2"}, {"", "Third", "3"}};

const std::string kOutside =
    "keys are not deleted from an installation seen from outside: the only keys the cleanup "
    "deletes are a service's, and services belong to a running system";

std::vector<Row> makeRows() {
  return {
      {"KeysAndValuesAreFoundIgnoringLetterCase",
       {},
       {{"", "Alpha", "one"}, {"Sub", "Beta", "two"}},
       {opensKey("SUB", kKeyRead), queries("beta", 16, 4, text("two")), closesKey(),
        opensKey("", kKeyRead), queries("ALPHA", 16, 4, text("one"))}},
      {"MissingKeysAndValuesAreNotFound",
       {},
       {{"", "Alpha", "one"}},
       {openKeyFails("Missing", kKeyRead, kErrorFileNotFound), opensKey("", kKeyAllAccess),
        queryFails("Nothing", 16, kErrorFileNotFound),
        deleteValueFails("Nothing", kErrorFileNotFound)}},
      {"AQueryTellsTheSizeAlsoWhenTheBufferIsTooSmall",
       {},
       {{"", "Long", "0123456789"}},
       {opensKey("", kKeyRead), queries("Long", -1, 11), queryFails("Long", 4, kErrorMoreData, 11),
        queries("Long", 11, 11, text("0123456789"))}},
      {"ValuesAreEnumeratedInOrderAndNamesMustFit",
       {},
       kThreeValues,
       {opensKey("", kKeyRead), countsValues(3), enumerates(0, 16, "First"),
        enumerates(2, 16, "Third"), enumerateFails(3, 16, kErrorNoMoreItems),
        enumerateFails(0, 3, kErrorMoreData)}},
      {"DeletingAValueMovesTheLaterOnesDown",
       {},
       kThreeValues,
       {opensKey("", kKeyAllAccess), deletesValue("second"), countsValues(2),
        enumerates(1, 16, "Third"), deleteValueFails("Second", kErrorFileNotFound), closesKey(),
        closeKeyFails(kErrorInvalidHandle)},
       {{Backend::DiskImage,
         "the hive of an image is evidence: it is read into memory and never changed",
         {opensKey("", kKeyAllAccess), deleteValueFails("second", kErrorAccessDenied),
          countsValues(3), closesKey(), closeKeyFails(kErrorInvalidHandle)}}}},
      {"AKeyOpenedToReadDeletesNoValue",
       {},
       kThreeValues,
       {opensKey("", kKeyRead), deleteValueFails("First", kErrorAccessDenied), countsValues(3)}},
      {"AKeyWithSubkeysIsNotDeleted",
       {},
       {{"Parent\\Child", "x", "1"}},
       {deleteKeyFails("Parent", kErrorAccessDenied), deletesKey("Parent\\Child"),
        openKeyFails("Parent\\Child", kKeyRead, kErrorFileNotFound),
        deleteKeyFails("Parent\\Child", kErrorFileNotFound)},
       {{Backend::MountedVolume,
         kOutside,
         {deleteKeyFails("Parent", kErrorAccessDenied),
          deleteKeyFails("Parent\\Child", kErrorAccessDenied),
          opensKey("Parent\\Child", kKeyRead)}},
        {Backend::DiskImage,
         kOutside,
         {deleteKeyFails("Parent", kErrorAccessDenied),
          deleteKeyFails("Parent\\Child", kErrorAccessDenied),
          opensKey("Parent\\Child", kKeyRead)}}}},
  };
}

}  // namespace

const std::vector<Row>& registryRows() {
  static const std::vector<Row> rows = makeRows();
  return rows;
}

}  // namespace vs::conformance
