// The error record and the table from system errors to run-time codes.
#include "services/run_time_errors.h"

#include <gtest/gtest.h>

using namespace ketrav::services;

TEST(RunTimeErrors, OsErrorTable) {
    struct Case {
        std::uint32_t os;
        int code;
    };
    const Case cases[] = {
        {0, 0},   {1, 75},   {2, 53},   {3, 76},   {4, 67},           {5, 70},  {6, 51},  {7, 241}, {8, 7},
        {9, 241}, {10, 241}, {11, 51},  {12, 51},  {13, 51},          {14, 7},  {15, 68}, {16, 75}, {17, 74},
        {18, 53}, {19, 70},  {20, 68},  {21, 71},  {22, 51},          {23, 72}, {24, 51}, {25, 72}, {31, 72},
        {32, 70}, {33, 70},  {34, 72},  {35, 72},  {36, 70},          {37, 75}, {38, 62}, {39, 61}, {40, 75},
        {80, 75}, {87, 5},   {112, 61}, {183, 75}, {0xFFFFFFFFu, 75},
    };
    for (const Case& c : cases) EXPECT_EQ(os_error_code(c.os), c.code) << "OS error " << c.os;
}

TEST(RunTimeErrors, LastErrorIsReplacedNeverCleared) {
    record_error(53);
    EXPECT_EQ(last_error(), 53);
    record_error(70);
    EXPECT_EQ(last_error(), 70);
    record_error(0);
    EXPECT_EQ(last_error(), run_time_code::internal);
    record_error(240);
    EXPECT_EQ(last_error(), 240);  // below 241 the caller goes on
}

TEST(RunTimeErrorsDeathTest, FatalCodesEndTheProcessWith255) {
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    EXPECT_EXIT(record_error(241), ::testing::ExitedWithCode(255), "");
    EXPECT_EXIT(record_error(run_time_code::file_table_damaged), ::testing::ExitedWithCode(255), "");
    EXPECT_EXIT(record_error(os_error_code(9)), ::testing::ExitedWithCode(255), "");
}
