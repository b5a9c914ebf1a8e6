// Helpers for the settings screens' tests: a fresh application and settings object with a
// stand-in screen at the bottom of the navigation stack, the screen under test pushed over it,
// and the rows, fields, bar buttons and alerts a finger reaches, found in the display list.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/ui.h"
#include "platform/ui/ui_test_support.h"
#include "settings/glb_param.h"

namespace zt::test {

class SettingsScreenTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    GlbParam::ReleaseResource();
    beneath->setTitle("Beneath");
    navigation = showNavigation(beneath);
  }
  void TearDown() override {
    UiTest::TearDown();
    GlbParam::ReleaseResource();
  }

  template <class Screen>
  std::shared_ptr<Screen> open() {
    auto screen = std::make_shared<Screen>();
    navigation->pushViewController(screen, true);
    return screen;
  }
  bool isOnTop(const ViewController& screen) const {
    return navigation->topViewController().get() == &screen;
  }

  // The first control of a row of `table` on screen, or null.
  std::shared_ptr<View> fieldAt(const TableView& table, IndexPath path) {
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      const auto* row = std::get_if<DisplayRow>(&item);
      if (row && row->table.get() == &table && row->path == path && !row->controls.empty()) {
        return row->controls.front().view;
      }
    }
    return nullptr;
  }
  // Taps the field, replaces its whole text as a person deleting and pasting would, and ends
  // the edit with a touch elsewhere.
  void retype(const TableView& table, IndexPath path, std::string_view text) {
    auto field = fieldAt(table, path);
    ASSERT_TRUE(field && Touch::tapTextInput(*field)) << screenText();
    while (Touch::deleteBackward()) {
    }
    if (!text.empty()) Touch::pasteText(text);
    Touch::touchElsewhere();
  }
  // The key laid over the on-screen keyboard ("Done"), or null.
  std::shared_ptr<Button> extraKey() {
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      const auto* keys = std::get_if<DisplayKeyboard>(&item);
      if (keys && !keys->extraKeys.empty()) return keys->extraKeys.front().second;
    }
    return nullptr;
  }
  bool tapRight() { return Touch::tapBarButton(top().navigationItem().rightBarButtonItem().get()); }
  bool tapLeft() { return Touch::tapBarButton(top().navigationItem().leftBarButtonItem().get()); }
  // Dismisses the alert on top with its only button.
  bool dismissAlert() {
    const auto& popups = Application::shared().popups();
    const auto* alert = popups.empty() ? nullptr : std::get_if<std::shared_ptr<AlertView>>(&popups.back());
    return alert && Touch::tapAlertButton(**alert, 0);
  }

  std::shared_ptr<ViewController> beneath = std::make_shared<ViewController>();
  std::shared_ptr<NavigationController> navigation;

 private:
  ViewController& top() { return *navigation->topViewController(); }
};

}  // namespace zt::test
