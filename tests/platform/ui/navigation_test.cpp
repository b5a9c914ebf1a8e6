#include <gtest/gtest.h>

#include <thread>

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
  EXPECT_EQ(Application::shared().windows().size(), 1u);

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

  ASSERT_EQ(navigation->transitions().size(), 3u);
  EXPECT_FALSE(navigation->transitions()[0].animated);  // main, before the window
  EXPECT_EQ(navigation->transitions()[1].kind, ControllerTransition::Kind::Push);
  EXPECT_TRUE(navigation->transitions()[1].animated);
  EXPECT_EQ(navigation->transitions()[2].kind, ControllerTransition::Kind::Pop);
  EXPECT_FALSE(navigation->transitions()[2].animated);
}

TEST_F(Navigation, TwoPopsInARowLetTheMiddleScreenAppearAndDisappear) {
  auto navigation = showNavigation(std::make_shared<LoggingScreen>("a", log));
  navigation->pushViewController(std::make_shared<LoggingScreen>("b", log), false);
  navigation->pushViewController(std::make_shared<LoggingScreen>("c", log), false);
  log.clear();
  navigation->popViewControllerAnimated(false);
  navigation->popViewControllerAnimated(false);
  EXPECT_EQ(log, (Strings{"c.viewWillDisappear()", "b.viewWillAppear()", "c.viewDidDisappear()",
                          "b.viewDidAppear()", "c.destroyed", "b.viewWillDisappear()",
                          "a.viewWillAppear()", "b.viewDidDisappear()", "a.viewDidAppear()",
                          "b.destroyed"}));
  EXPECT_EQ(navigation->popViewControllerAnimated(false), nullptr) << "the root stays";
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
}

TEST_F(Navigation, ModalPresentationCoversTheStackAndDismissalUncoversIt) {
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
  EXPECT_EQ(navigation->topViewController(), main);
  EXPECT_EQ(navigation->visibleViewController(), about.lock());
  EXPECT_FALSE(main->view()->isOnScreen());
  EXPECT_TRUE(about.lock()->view()->isOnScreen());
  EXPECT_FALSE(Touch::tapBarButton(nullptr)) << "a modal screen has no back button";

  log.clear();
  about.lock()->dismissModalViewControllerAnimated(true);
  EXPECT_EQ(log, (Strings{"about.viewWillDisappear(animated)", "main.viewWillAppear(animated)",
                          "about.viewDidDisappear(animated)", "main.viewDidAppear(animated)",
                          "about.destroyed"}));
  EXPECT_TRUE(main->view()->isOnScreen());
  EXPECT_EQ(navigation->transitions().back().kind, ControllerTransition::Kind::Dismiss);
}

TEST_F(Navigation, BarShowsBackTitlesAndTheBackButtonPopsAnimated) {
  auto navigation = showNavigation(std::make_shared<LoggingScreen>("root", log));
  auto main = std::make_shared<LoggingScreen>("main", log);
  navigation->pushViewController(main, false);
  main->setTitle("Zemra Telvo");
  main->navigationItem().setHidesBackButton(true);
  main->navigationItem().setRightBarButtonItem(
      std::make_shared<BarButtonItem>(UIBarButtonSystemItemAction), true);
  EXPECT_EQ(screenText(), "Zemra Telvo [Action]\n");
  EXPECT_FALSE(Touch::tapBarButton(nullptr)) << "no back button on the main screen";

  main->navigationItem().setBackBarButtonItem(
      std::make_shared<BarButtonItem>("Back", BarButtonItemStyle::Bordered));
  auto list = std::make_shared<LoggingScreen>("list", log);
  list->setTitle("Accessory List");
  navigation->pushViewController(list, true);
  EXPECT_EQ(screenText(), "[< Back] Accessory List\n");
  main->navigationItem().setBackBarButtonItem(nullptr);
  EXPECT_EQ(screenText(), "[< Zemra Telvo] Accessory List\n");

  int cancelled = 0;
  auto cancel =
      std::make_shared<BarButtonItem>("Cancel", BarButtonItemStyle::Bordered, [&] { ++cancelled; });
  list->navigationItem().setLeftBarButtonItem(cancel);
  EXPECT_EQ(screenText(), "[Cancel] Accessory List\n");
  EXPECT_FALSE(Touch::tapBarButton(nullptr)) << "a left item replaces the back button";
  EXPECT_TRUE(Touch::tapBarButton(cancel.get()));
  cancel->setEnabled(false);
  EXPECT_FALSE(Touch::tapBarButton(cancel.get()));
  EXPECT_EQ(cancelled, 1);

  list->navigationItem().setLeftBarButtonItem(nullptr);
  log.clear();
  EXPECT_TRUE(Touch::tapBarButton(nullptr));
  EXPECT_EQ(navigation->topViewController(), main);
  EXPECT_TRUE(navigation->transitions().back().animated);
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
}

TEST_F(Navigation, PushWhileCoveredByAModalScreenAppearsOnlyWhenUncovered) {
  auto navigation = showNavigation(std::make_shared<LoggingScreen>("root", log));
  auto modal = std::make_shared<LoggingScreen>("modal", log);
  navigation->presentModalViewController(modal, false);
  log.clear();
  navigation->pushViewController(std::make_shared<LoggingScreen>("late", log), true);
  EXPECT_TRUE(log.empty()) << "nothing appears under a modal screen";
  navigation->presentModalViewController(std::make_shared<LoggingScreen>("second", log), false);
  EXPECT_EQ(navigation->modalViewController(), modal) << "one modal screen at a time";

  modal->dismissModalViewControllerAnimated(false);
  EXPECT_EQ(log,
            (Strings{"second.destroyed", "modal.viewWillDisappear()", "late.viewDidLoad",
                     "late.viewWillAppear()", "modal.viewDidDisappear()", "late.viewDidAppear()"}));
  EXPECT_EQ(modal->presentingViewController(), nullptr);
  EXPECT_EQ(visibleController(), navigation->topViewController());
}

// The main thread is the one that created the main run loop (the test program's main()), even
// when another thread is the first to reach the model. The death test runs in a fresh process.
TEST(MainThread, AModelCallFromAnotherThreadStopsACheckedBuild) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEBUG_DEATH(std::thread([] { View().setHidden(true); }).join(), "off the main thread");
}

}  // namespace
}  // namespace zt::test
