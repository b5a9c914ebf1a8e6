#include <gtest/gtest.h>

#include "platform/ui/hit_test.h"
#include "ui_test_support.h"

namespace zt::test {
namespace {

using Strings = std::vector<std::string>;

class Navigation : public UiTest {};

TEST_F(Navigation, LaunchPushPopRunCallbacksInOrderAndReleasePoppedScreensAtOnce) {
  auto navigation = NavigationController::withRoot(std::make_shared<LoggingScreen>("root", log));
  auto main = std::make_shared<LoggingScreen>("main", log);
  navigation->pushViewController(main, false);
  EXPECT_TRUE(log.empty()) << "nothing loads before the window shows the navigation controller";

  window_ = std::make_shared<Window>();
  window_->setRootViewController(navigation);
  window_->makeKeyAndVisible();
  EXPECT_EQ(log, (Strings{"main.viewDidLoad", "main.viewWillAppear()", "main.viewDidAppear()"}));

  log.clear();
  std::weak_ptr<ViewController> list = [&] {
    auto screen = std::make_shared<LoggingScreen>("list", log);
    navigation->pushViewController(screen, true);
    return screen;
  }();
  EXPECT_EQ(log, (Strings{"list.viewDidLoad", "main.viewWillDisappear(animated)",
                          "list.viewWillAppear(animated)", "main.viewDidDisappear(animated)",
                          "list.viewDidAppear(animated)"}));
  EXPECT_EQ(list.lock()->navigationController(), navigation);

  log.clear();
  EXPECT_NE(navigation->popViewControllerAnimated(false), nullptr);
  EXPECT_EQ(log, (Strings{"list.viewWillDisappear()", "main.viewWillAppear()",
                          "list.viewDidDisappear()", "main.viewDidAppear()", "list.destroyed"}));
  EXPECT_TRUE(list.expired());

  EXPECT_EQ(navigation->transitions().back().kind, ControllerTransition::Kind::Pop);
}

TEST_F(Navigation, AModalScreenCoversTheStackAndAScreenPushedUnderItAppearsWhenItGoes) {
  auto navigation = showNavigation(std::make_shared<LoggingScreen>("root", log));
  auto main = std::make_shared<LoggingScreen>("main", log);
  navigation->pushViewController(main, false);
  log.clear();

  std::weak_ptr<ViewController> about;
  {
    auto screen = std::make_shared<LoggingScreen>("about", log);
    about = screen;
    main->presentModalViewController(screen, true);  // goes to the navigation controller
  }
  EXPECT_EQ(log, (Strings{"about.viewDidLoad", "main.viewWillDisappear(animated)",
                          "about.viewWillAppear(animated)", "main.viewDidDisappear(animated)",
                          "about.viewDidAppear(animated)"}));
  EXPECT_EQ(navigation->visibleViewController(), about.lock());
  EXPECT_FALSE(main->view()->isOnScreen());
  EXPECT_FALSE(Touch::tapBarButton(nullptr)) << "a modal screen has no back button";

  log.clear();
  navigation->pushViewController(std::make_shared<LoggingScreen>("late", log), true);
  EXPECT_TRUE(log.empty()) << "nothing appears under a modal screen";
  navigation->presentModalViewController(std::make_shared<LoggingScreen>("second", log), false);
  EXPECT_EQ(navigation->modalViewController(), about.lock()) << "one modal screen at a time";
  about.lock()->dismissModalViewControllerAnimated(true);
  EXPECT_EQ(log, (Strings{"second.destroyed", "about.viewWillDisappear(animated)",
                          "late.viewDidLoad", "late.viewWillAppear(animated)",
                          "about.viewDidDisappear(animated)", "late.viewDidAppear(animated)",
                          "about.destroyed"}));
  EXPECT_EQ(visibleController(), navigation->topViewController());
  EXPECT_EQ(navigation->transitions().back().kind, ControllerTransition::Kind::Dismiss);
}

TEST_F(Navigation, AScreenPoppingItselfFromItsOwnButtonFinishesBeforeItIsReleased) {
  auto navigation = showNavigation(std::make_shared<LoggingScreen>("root", log));
  std::weak_ptr<ViewController> weakScreen;
  std::shared_ptr<BarButtonItem> ok;
  {
    auto screen = std::make_shared<LoggingScreen>("key", log);
    weakScreen = screen;
    ok = std::make_shared<BarButtonItem>(
        "OK", BarButtonItemStyle::Bordered, [raw = screen.get(), this] {
          raw->navigationController()->popViewControllerAnimated(true);
          log.push_back(raw->title() + " still alive");  // must not touch freed memory
        });
    screen->setTitle("key");
    screen->navigationItem().setRightBarButtonItem(ok);
    navigation->pushViewController(screen, true);
  }
  EXPECT_TRUE(Touch::tapBarButton(ok.get()));
  EXPECT_TRUE(weakScreen.expired());
  EXPECT_EQ(log.back(), "key.destroyed");
  EXPECT_EQ(log[log.size() - 2], "key still alive");
  EXPECT_EQ(navigation->popViewControllerAnimated(false), nullptr) << "the root stays";
}

}  // namespace
}  // namespace zt::test
