// A fixture for formatting: the language fixture with a fixed clock (5 March 2024, 09:05:03) and
// a switch between the English texts of the catalogue and a Spanish locale text.
#pragma once

#include <string>

#include "engine/core/clock.h"
#include "engine/core/string_slots.h"
#include "lang_fixture.h"

namespace engine::testing {

inline constexpr LocalDateTime kTestNow{2024, 3, 5, 9, 5, 3, 0};

class LocaleFixture : public LangFixture {
 protected:
  void SetUp() override {
    LangFixture::SetUp();
    SetClock(&clock_);
  }
  void TearDown() override {
    SetClock(nullptr);
    LangFixture::TearDown();
  }

  // "EN" leaves the locale text empty (the catalogue's English texts apply); "ES" stores a
  // Spanish one: ',' decimal, '.' thousands, S for yes.
  void SetLanguage(const std::string& code) {
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvLanguage, StrView(code)), kOk);
    std::string locale;
    if (code == "ES") {
      locale = std::string(",.'0123456789,-D',' NS','  ,NO,SI'") + '\0' +
               "'Enero,Febrero,Marzo,Abril,Mayo,Junio,Julio,Agosto,Septiembre,Octubre,Noviembre,"
               "Diciembre','[D] de [M] de [Y]'" +
               '\0' + ' ';
    }
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvLocale, StrView(locale)), kOk);
  }

  FixedClock clock_{kTestNow};
};

}  // namespace engine::testing
