#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/AddressPoison.h"
#include "core/LargePages.h"
#include "core/LineStore.h"
#include "core/WizardState.h"

using namespace forgeline;

// The views handed out must keep their bytes whichever room they landed in:
// the lent room first, then blocks of the store's own once a text does not
// fit, and the lent room again after clear().
TEST(LineStore, ViewsStayWholeAcrossLentRoomAndOwnBlocks) {
  char room[8];
  std::vector<std::string> texts = {"abcde", "fghij", "k", std::string(70000, 'z'), "lm"};
  {
    LineStore store;
    store.lend(room, sizeof room);
    std::vector<std::string_view> kept;
    for (const std::string& text : texts) kept.push_back(store.keep(text));
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(kept[i], texts[i]) << i;
    EXPECT_EQ(kept[0].data(), room);
    EXPECT_TRUE(kept[1].data() < room || kept[1].data() >= room + sizeof room);

    store.clear();
    const std::string_view again = store.keep("xy");
    EXPECT_EQ(again, "xy");
    EXPECT_EQ(again.data(), room);
  }
  EXPECT_EQ(std::string_view(room, 2), "xy") << "the store never frees what it was lent";
}

#ifdef FORGELINE_ADDRESS_SANITIZER
// The record's block and the line stores' rooms are carved out by hand, so
// AddressSanitizer sees them only as far as we mark them: one byte past what
// is in use must be reported wherever it lies.
TEST(LineStoreDeathTest, AccessPastWhatIsInUseIsReported) {
  const WizardState::Owned state = WizardState::createInLargePages();
  const std::string_view lent = state->codeLineText.keep("lent\n");
  const std::string_view own = state->prmLineText.keep("own\n");  // a heap block of the store's own
  const std::string_view stale = state->codeLineText.keep("stale\n");
  char* const record = reinterpret_cast<char*>(state.get());
  // What is in use stays usable.
  const_cast<char&>(lent.back()) = '\n';
  const_cast<char&>(own.back()) = '\n';
  struct Case {
    const char* name;
    const char* at;
    bool clearFirst;  // the code lines are forgotten before the access
  } cases[] = {
      {"past the record", record + sizeof(WizardState), false},
      {"past the lent room's last line", stale.data() + stale.size(), false},
      {"past a line in the store's own block", own.data() + own.size(), false},
      {"in the large page past the block", record + kLargePageSize - 1, false},
      {"through a view after clear()", lent.data(), true},
  };
  for (const Case& c : cases) {
    volatile char* const at = const_cast<char*>(c.at);
    EXPECT_DEATH(
        {
          if (c.clearFirst) state->codeLineText.clear();
          *at = 'x';
        },
        "AddressSanitizer: use-after-poison")
        << c.name;
  }
}
#endif
