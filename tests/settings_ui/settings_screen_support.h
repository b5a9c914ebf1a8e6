// Helpers for the settings screens' tests: a fresh application and settings object with a
// stand-in screen ("Beneath") at the bottom of the navigation stack, the screen under test pushed
// over it, and what a finger reaches, found in the display list.
#pragma once

#include <gtest/gtest.h>

#include <memory>
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
  template <class Screen>
  std::shared_ptr<Screen> open() {
    auto screen = std::make_shared<Screen>();
    navigation->pushViewController(screen, true);
    return screen;
  }
  bool isOnTop(const ViewController& s) { return navigation->topViewController().get() == &s; }
  bool shows(std::string_view text) { return screenText().find(text) != std::string::npos; }
  // The field of a row of `table` on screen (a stray view, which no touch reaches, if none).
  std::shared_ptr<View> fieldAt(const TableView& table, IndexPath path) {
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      const auto* row = std::get_if<DisplayRow>(&item);
      if (row && row->table.get() == &table && row->path == path) return row->controls.at(0).view;
    }
    return std::make_shared<View>();
  }
  // Taps the field, deletes its text, pastes `text` and ends the edit with a touch elsewhere.
  void retype(const TableView& table, IndexPath path, std::string_view text) {
    ASSERT_TRUE(Touch::tapTextInput(*fieldAt(table, path))) << screenText();
    while (Touch::deleteBackward()) {
    }
    Touch::pasteText(text);
    Touch::touchElsewhere();
  }
  bool tapOk() { return Touch::tapBarButton(top().navigationItem().rightBarButtonItem().get()); }
  bool tapCancel() { return Touch::tapBarButton(top().navigationItem().leftBarButtonItem().get()); }
  bool dismissAlert() {
    const auto& popups = Application::shared().popups();
    return !popups.empty() && Touch::tapAlertButton(*std::get<0>(popups.back()), 0);
  }

  std::shared_ptr<ViewController> beneath = std::make_shared<ViewController>();
  std::shared_ptr<NavigationController> navigation;

 private:
  ViewController& top() { return *navigation->topViewController(); }
};

}  // namespace zt::test
