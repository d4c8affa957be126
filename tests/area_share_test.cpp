// An area's share, cut to the tenth, and the title's indent.
#include "report/area_share.h"

#include <gtest/gtest.h>

#include "services/number_pictures.h"

using namespace ketrav::report;
using ketrav::services::format_picture;

namespace {

TEST(AreaShare, CutToTheTenth) {
    EXPECT_EQ(format_picture("###.#", area_share(1, 3)), " 33.3");
    EXPECT_EQ(format_picture("###.#", area_share(2, 3)), " 66.6");
    EXPECT_EQ(format_picture("###.#", area_share(1, 125)), "  0.7");
    EXPECT_EQ(format_picture("###.#", area_share(64, 125)), " 51.1");
    EXPECT_EQ(format_picture("###.#", area_share(1, 4)), " 25.0");
    EXPECT_EQ(format_picture("###.#", area_share(1, 8)), " 12.5");
    EXPECT_EQ(format_picture("###.#", area_share(1, 1)), "100.0");
    EXPECT_EQ(format_picture("###.#", area_share(12, 40)), " 30.0");
    EXPECT_EQ(area_share(1, 2000), 0.0);
    // 1/1000 rounds to just below a thousandth before it is multiplied.
    EXPECT_EQ(area_share(1, 1000), 0.0);
    EXPECT_EQ(area_share(3, 1000), 0.3);
    EXPECT_GT(area_share(1, 0), 1e300);  // a count with no total never traps
}

TEST(AreaShare, TitleIndentRoundsHalvesToEven) {
    EXPECT_EQ(ketrav::report::title_indent(0), 40);
    EXPECT_EQ(ketrav::report::title_indent(5), 38);  // 37.5
    EXPECT_EQ(ketrav::report::title_indent(6), 37);
    EXPECT_EQ(ketrav::report::title_indent(7), 36);  // 36.5
    EXPECT_EQ(ketrav::report::title_indent(81), 0);  // -0.5
    EXPECT_EQ(ketrav::report::title_indent(82), -1);
    EXPECT_EQ(ketrav::report::title_indent(83), -2);  // -1.5
    EXPECT_EQ(ketrav::report::title_indent(85), -2);  // -2.5
    EXPECT_EQ(ketrav::report::title_indent(2147483647), -1073741784);
}

}  // namespace
