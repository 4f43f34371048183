// The process entry: the command line the application receives and the exit code it gives back.
#include "engine/shell/program_main.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace engine {
namespace {

Status g_result = kOk;
std::string g_line;

Status Application(StrRef command_line) {
  g_line = std::string(command_line.view());
  return g_result;
}

constexpr ProgramIdentity kIdentity{"ledger", "Test program.", "0.0", "COLDGR01:Test", "C2MENU"};

TEST(ProgramMainTest, TheExitCodeIsTheRunsStatusCappedAt255) {
  // Never the terminal host, even when the test runs in a terminal.
  ASSERT_EQ(::setenv("ORVENDAL_HOST", "headless", 1), 0);
  const struct {
    uint16_t status;
    int exit_code;
  } cases[] = {{0, 0}, {122, 122}, {255, 255}, {256, 255}, {1001, 255}, {0xFFFF, 255}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    g_result = Status(c.status);
    char program[] = "/opt/orvendal/ledger";
    char run[] = "/RUN:'ExpEval X=1'";
    char* argv[] = {program, run, nullptr};
    EXPECT_EQ(ProgramMain(kIdentity, 2, argv, Application), c.exit_code);
    EXPECT_EQ(g_line, "/opt/orvendal/ledger /RUN:'ExpEval X=1'");
  }
}

}  // namespace
}  // namespace engine
