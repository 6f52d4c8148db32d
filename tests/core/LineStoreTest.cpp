#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/AddressPoison.h"
#include "core/KeyFileFormat.h"
#include "core/LargePages.h"
#include "core/LineStore.h"
#include "core/WizardState.h"
#include "support/WizardHarness.h"

using namespace forgeline;

// Where each text lands, one after another: in the lent room while it fits,
// also when it fills the room exactly; then in a block of the store's own,
// which a text can fill exactly too; a text that does not fit starts a new
// one. Every view keeps its bytes, and clear() hands out the lent room again.
TEST(LineStore, TextsFillTheLentRoomThenOwnBlocksExactly) {
  char room[8];
  {
    LineStore store;
    store.lend(room, sizeof room);
    const std::string rest(64 * 1024 - 1, 'z'), huge(70000, 'y');
    const std::vector<std::string_view> kept = {store.keep("abcde"), store.keep("fgh"), store.keep("i"),
                                                store.keep(rest),    store.keep("j"),   store.keep(huge)};
    EXPECT_EQ(kept[0].data(), room);
    EXPECT_EQ(kept[1].data(), room + 5) << "fills the lent room exactly";
    const char* const own = kept[2].data();
    EXPECT_TRUE(own < room || own >= room + sizeof room) << "one byte past the lent room";
    EXPECT_EQ(kept[3].data(), own + 1) << "fills the store's own block exactly";
    EXPECT_TRUE(kept[4].data() < own || kept[4].data() > own + rest.size()) << "one byte past its block";
    std::string all;
    for (const std::string_view text : kept) all += text;
    EXPECT_EQ(all, "abcdefghi" + rest + "j" + huge);

    store.clear();
    const std::string_view again = store.keep("xy");
    EXPECT_EQ(again, "xy");
    EXPECT_EQ(again.data(), room);
  }
  EXPECT_EQ(std::string_view(room, 2), "xy") << "the store never frees what it was lent";
}

// The record's block lends its code lines room for every table at capacity,
// each line a whole piece: a file that fills them all keeps every code line
// inside the large-page block: loading it takes no block of the store's own.
TEST(LineStore, EveryCodeLineTableAtCapacityFitsTheRecordsBlock) {
  const std::string piece = std::string(LineReader::kMaxPiece - 1, 'a') + "\n";
  std::string init = "MODULE:INIT\n9. i\n", lines;
  for (int i = 0; i < kMaxSectionLines; ++i) lines += piece;
  for (int s = 1; s <= kSectionCount; ++s) init += std::to_string(s) + ".\n" + lines;
  test::WizardHarness w({{"MCU_FULL.txt", "MenuName=FULL\n" + init + "ENDMODULE\nMODULE:M\n9. m\n6.\n" + lines + "ENDMODULE\n"}});
  w.clickMcu(0);
  w.clickModule(1);
  w.loadForBuild();
  const char* const begin = reinterpret_cast<const char*>(w.state.get());
  std::vector<std::string_view> kept(w.state->initLines.begin(), w.state->initLines.begin() + w.state->initLineCount);
  ASSERT_EQ(kept.size(), static_cast<std::size_t>(kMaxInitLines));
  for (int s = 1; s <= kSectionCount; ++s) {
    ASSERT_EQ(w.state->sectionCount(s), kMaxSectionLines) << s;
    kept.insert(kept.end(), w.state->section(s).begin(), w.state->section(s).end());
  }
  for (const std::string_view line : kept) {
    ASSERT_EQ(line, piece);
    ASSERT_TRUE(line.data() > begin && line.data() + line.size() <= begin + kLargePageSize);
  }
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
