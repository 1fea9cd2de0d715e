#include "client/setup/AccessPointForm.h"
#include "client/setup/AccessPointQuery.h"
#include "SetupFixture.h"

#include <gtest/gtest.h>

using kiro::setup::AccessPointForm;
using kiro::setup::AccessPointRow;
using kiro::setuptest::SetupFixture;

TEST(AccessPointForm, DefaultSpeedFollowsTheRoad)
{
    const int expected[] = {0, 0, 0, 1, 2, 3, 3, 3, 0};
    for (int road = 0; road <= 8; ++road)
        EXPECT_EQ(kiro::setup::defaultSpeedPosition(road * 10), expected[road]) << "road " << road;
    EXPECT_EQ(kiro::setup::defaultSpeedPosition(57), 3) << "the code's tens decide";
    EXPECT_EQ(kiro::setup::defaultSpeedPosition(90), 0) << "an unknown road must not read past the table";
    EXPECT_EQ(kiro::setup::defaultSpeedPosition(-10), 0);
}

TEST(AccessPointForm, DoubleClickFillsTheSelectedGateAndStoreWritesBoth)
{
    kiro::app::ClientSettings settings;
    settings.AccessPoint = "011-200-0001";
    settings.AccessPointName = "札幌-14400bps";
    settings.AccessSpeedPos = 7; // damaged file: must not index past the speed table
    kiro::app::ScriptedPrompt prompt;
    AccessPointForm form(settings);
    EXPECT_EQ(form.selectedGate(), 1);
    EXPECT_EQ(form.gate(1).roadCode, 30);
    EXPECT_EQ(form.gate(1).speedPosition, 0);

    EXPECT_FALSE(form.applyRow(nullptr, prompt));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"アクセスポイントを\n指定してください。"});

    form.selectGate(2);
    const AccessPointRow row{"東京-28800bps", "03-5000-0002", 50};
    EXPECT_TRUE(form.applyRow(&row, prompt));
    EXPECT_EQ(form.gate(2).speedPosition, 3);
    EXPECT_EQ(form.gate(1).name, "札幌-14400bps") << "gate 1 untouched";

    form.store(settings);
    EXPECT_EQ(settings.AccessPoint2nd, "03-5000-0002");
    EXPECT_EQ(settings.AccessPoint2ndName, "東京-28800bps");
    EXPECT_EQ(settings.RoadType2, 5);
    EXPECT_EQ(settings.AccessSpeedPos2, 3);
    EXPECT_EQ(settings.BaudRate2, 57600);
    EXPECT_EQ(settings.AccessPoint, "011-200-0001");
    EXPECT_EQ(settings.RoadType, 3);
    EXPECT_EQ(settings.AccessSpeedPos, 0);
    EXPECT_EQ(settings.BaudRate, 9600);
}

TEST(AccessPointQuery, HandsOutListedRowsInReadingOrderTwentyAtATime)
{
    SetupFixture f;
    std::vector<kiro::setuptest::AccessPointSample> rows;
    for (int i = 0; i < 45; ++i) {
        char reading[16];
        std::snprintf(reading, sizeof reading, "r%02d", 44 - i);
        rows.push_back({"P" + std::to_string(i), "0" + std::to_string(i), "100-" + std::to_string(i), reading, i % 2 ? 50 : 30});
    }
    rows.push_back({"東京", "03", "999", "a00", 70}); // its road has no listed class
    rows.push_back({"東京", "03", "5000-0002", "r44", 50}); // same reading as P0: the higher road after it
    f.openCatalogue(rows);

    kiro::setup::AccessPointQuery query(&f.db);
    std::vector<AccessPointRow> all;
    std::vector<std::size_t> batches;
    for (int tick = 0; tick < 10 && !query.atEnd(); ++tick) {
        auto batch = query.nextBatch();
        batches.push_back(batch.size());
        all.insert(all.end(), batch.begin(), batch.end());
    }
    EXPECT_TRUE(query.atEnd());
    EXPECT_EQ(batches, (std::vector<std::size_t>{20, 20, 6}));
    ASSERT_EQ(all.size(), 46u);
    EXPECT_EQ(all[0].place, "P44-14400bps");
    EXPECT_EQ(all[0].number, "044-100-44");
    EXPECT_EQ(all[0].roadCode, 30);
    EXPECT_EQ(all[45].place, "東京-28800bps");
    EXPECT_EQ(all[44].place, "P0-14400bps");
    EXPECT_EQ(all[43].place, "P1-28800bps");
    EXPECT_EQ(all[43].roadCode, 50);
    EXPECT_TRUE(query.nextBatch().empty());
}

TEST(AccessPointQuery, NoCatalogueGivesAnEmptyList)
{
    kiro::setup::AccessPointQuery none(nullptr);
    EXPECT_TRUE(none.atEnd());
    EXPECT_TRUE(none.nextBatch().empty());
}
