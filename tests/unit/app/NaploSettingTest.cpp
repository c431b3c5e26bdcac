#include <gtest/gtest.h>

#include <string>

#include "fakes/Fakes.h"

namespace voltander {
namespace {

using test::Harness;

// The history's saving switch: read as a number at start-up (on when absent), flipped
// by its menu item, written back at exit.
TEST(NaploSetting, StartsFromTheStoreFlipsAndIsWrittenBack) {
  struct Case {
    const char* stored;  // nullptr: absent
    bool checked;
  };
  for (const Case c : {Case{nullptr, true}, Case{"1", true}, Case{"1.0", true}, Case{"0", false},
                       Case{"2", false}}) {
    Harness h;
    if (c.stored) h.settings.values["Voltander/Setup/Naplo"] = c.stored;
    h.form->Form_Load();
    EXPECT_EQ(h.form->NMentes.checked(), c.checked) << (c.stored ? c.stored : "absent");
    h.form->NMentes.click();
    h.form->Form_Unload();
    EXPECT_EQ(h.setting("Naplo"), c.checked ? "0" : "1");
  }
}

TEST(NaploSetting, GrafikonOpensTheChart) {
  Harness h;
  int opened = 0;
  h.form->NGrafikon.click();
  h.form->showHistory = [&] { ++opened; };
  h.form->NGrafikon.click();
  EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace voltander
