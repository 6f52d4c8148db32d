#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/LineStore.h"

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
