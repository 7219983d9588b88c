// Where the host's errors go when the program runs unattended: to the sink, never to a box of
// the platform's environment that nobody would close.

#include "app/error_reporting_environment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/standalone_host.h"
#include "tests/app/fake_host_environment.h"

namespace plugfw {
namespace {

std::vector<std::string>& Reported() {
  static std::vector<std::string> reported;
  return reported;
}

void Record(const char* text, const char* title) { Reported().push_back(std::string(title) + ": " + text); }

TEST(ErrorReportingEnvironment, TheHostsErrorsReachTheSinkAndItsDevicesThePlatform) {
  Reported().clear();
  test::FakeEnvironmentState state;  // no audio device at all
  StandaloneHost* host =
      StandaloneHost::Create(WithErrorSink(std::make_unique<test::FakeHostEnvironment>(state), &Record));
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(host->Init());
  EXPECT_EQ(state.audioCreations, 1);
  EXPECT_EQ(state.settings.rewrites, 1);
  EXPECT_FALSE(host->ApplyAudioSettings());
  EXPECT_EQ(Reported(), std::vector<std::string>{"Error: Please check the audio settings"});
  EXPECT_TRUE(state.errors.empty());
  StandaloneHost::Destroy();
}

}  // namespace
}  // namespace plugfw
