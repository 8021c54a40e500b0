// Stopping the service of an infected program and deleting its keys under both control sets.
#include "remediation/service_cleanup.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"

namespace vs::test {
namespace {

const std::string kSet1 = "SYSTEM\\ControlSet001\\Services\\";
const std::string kSet2 = "SYSTEM\\ControlSet002\\Services\\";

TEST(DeleteServiceKeys, SixDeletionsSubkeysFirstWhateverTheEarlierOnesGave) {
  sim::SimMachine os;
  os.registry.addKey(kSet2 + "evil\\Enum");
  os.registry.addKey(kSet2 + "evil\\Security");
  os.registry.addKey(kSet2 + "other");
  EXPECT_EQ(deleteServiceKeys(os, "evil"), 1);
  const std::vector<std::string> expected = {
      "regDeleteKey " + kSet1 + "evil\\Enum",
      "regDeleteKey " + kSet1 + "evil\\Security",
      "regDeleteKey " + kSet1 + "evil",
      "regDeleteKey SYSTEM\\CONTROLSET002\\SERVICES\\evil\\Enum",
      "regDeleteKey " + kSet2 + "evil\\Security",
      "regDeleteKey " + kSet2 + "evil",
  };
  EXPECT_EQ(os.callsStartingWith("regDeleteKey "), expected);
  EXPECT_EQ(os.registry.findKey(kSet2 + "evil"), nullptr);
  EXPECT_NE(os.registry.findKey(kSet2 + "other"), nullptr);

  os.calls.clear();
  EXPECT_EQ(deleteServiceKeys(os, "nowhere"), 0);
  EXPECT_EQ(os.callsStartingWith("regDeleteKey ").size(), 6u);
}

TEST(DeleteServiceKeys, AKeyWithOtherSubkeysStaysAsTheSystemKeepsIt) {
  sim::SimMachine os;
  os.registry.addKey(kSet1 + "evil\\Enum");
  os.registry.addKey(kSet1 + "evil\\Parameters");
  EXPECT_EQ(deleteServiceKeys(os, "evil"), 1);  // Enum went
  EXPECT_NE(os.registry.findKey(kSet1 + "evil\\Parameters"), nullptr);
}

TEST(DeleteServiceKeys, ANameThatIsNotOneKeyDeletesNothing) {
  for (const std::string& name :
       {std::string(""), std::string("..\\evil"), std::string(600, 'n')}) {
    sim::SimMachine os;
    os.registry.addKey(kSet1 + "x");
    os.registry.addKey(kSet2);
    EXPECT_EQ(deleteServiceKeys(os, name.c_str()), 0);
    EXPECT_NE(os.registry.findKey(kSet1 + "x"), nullptr);
    EXPECT_TRUE(os.callsStartingWith("regDeleteKey ").empty()) << name.size();
  }
}

TEST(StopServiceByName, ReportsWhetherTheServiceEndedStopped) {
  struct Case {
    const char* what;
    std::uint32_t state;
    int pendingQueries;
    bool neverStops;
    int result;
    std::size_t waits;
  };
  const Case cases[] = {
      {"running, stops at once", kServiceRunning, 0, false, 1, 0},
      {"running, stops after three seconds", kServiceRunning, 3, false, 1, 3},
      {"already stopped: the stop request fails", kServiceStopped, 0, false, 0, 0},
      {"stays stop pending: given up after the last wait", kServiceRunning, 0, true, 0,
       kStopPendingWaits},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::SimMachine os;
    sim::SimService service;
    service.name = "Evil";
    service.state = c.state;
    service.pendingQueries = c.pendingQueries;
    service.neverStops = c.neverStops;
    os.services.push_back(service);
    EXPECT_EQ(stopServiceByName(os, "evil", 1), c.result);
    EXPECT_EQ(os.sleeps, std::vector<unsigned>(c.waits, kStopPendingPause));
    EXPECT_EQ(os.callsStartingWith("openServiceManager "),
              std::vector<std::string>{"openServiceManager 0xF003F"});
    EXPECT_EQ(os.callsStartingWith("openService evil"),
              std::vector<std::string>{"openService evil 0xF003F"});
  }
}

TEST(StopServiceByName, WithoutTheStopFlagOnlyOpens) {
  sim::SimMachine os;
  os.services.push_back({"evil", kServiceRunning});
  EXPECT_EQ(stopServiceByName(os, "evil", 0), 1);
  EXPECT_EQ(os.services[0].state, kServiceRunning);
  EXPECT_EQ(stopServiceByName(os, "absent", 0), 0);
  os.services[0].denyOpen = true;
  EXPECT_EQ(stopServiceByName(os, "evil", 1), 0);
  os.serviceManagerFails = true;
  EXPECT_EQ(stopServiceByName(os, "evil", 0), 0);
}

TEST(StopServiceByName, StoppingTheServiceEndsItsProgramAndFreesItsFiles) {
  sim::SimMachine os;
  os.addFile("C:\\svc\\evil.exe", "MZ");
  os.addFile("C:\\svc\\data.bin", "x");
  const std::uint32_t id = os.startProcess("C:\\svc\\evil.exe", {"C:\\svc\\data.bin"}).id;
  os.services.push_back({"evil", kServiceRunning, id, 1});
  EXPECT_FALSE(os.deleteFile("C:\\svc\\data.bin"));
  EXPECT_EQ(stopServiceByName(os, "evil", 1), 1);
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{id});
  EXPECT_TRUE(os.deleteFile("C:\\svc\\data.bin"));
  EXPECT_TRUE(os.deleteFile("C:\\svc\\evil.exe"));
}

}  // namespace
}  // namespace vs::test
