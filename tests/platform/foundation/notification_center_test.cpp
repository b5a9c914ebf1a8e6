#include "platform/foundation/notification_center.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zt {
namespace {

TEST(NotificationCenter, DeliversByNameAndSenderAndSurvivesRemovalDuringDelivery) {
  NotificationCenter center;
  std::vector<std::string> log;
  int a = 0, b = 0, senderX = 0, senderY = 0;
  center.addObserver(&a, "Connect", [&](const Notification& n) {
    log.push_back("a:" + std::any_cast<std::string>(n.userInfo.at("key")));
    center.removeObserver(&b);  // b must not be called after this
  });
  center.addObserver(&b, "Connect", [&](const Notification&) { log.push_back("b"); });
  center.addObserver(&b, "Other", [&](const Notification&) { log.push_back("other"); }, &senderX);

  center.postNotification("Connect", nullptr, {{"key", std::string("v")}});
  center.postNotification("Other", &senderY);
  EXPECT_EQ(log, (std::vector<std::string>{"a:v"}));

  center.addObserver(&b, "Other", [&](const Notification&) { log.push_back("other"); }, &senderX);
  center.postNotification("Other", &senderX);
  center.removeObserver(&a);
  center.postNotification("Connect", nullptr, {{"key", std::string("w")}});
  EXPECT_EQ(log, (std::vector<std::string>{"a:v", "other"}));
}

}  // namespace
}  // namespace zt
