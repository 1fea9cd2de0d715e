#include "client/MidiEngineChoice.h"
#include "common/Registry.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(MidiEngineChoice, StandardAndSoftwareEngines)
{
    QTemporaryDir dir;
    const std::filesystem::path file = dir.filePath("registry.reg").toStdString();
    ASSERT_TRUE(kiro::client::selectMidiEngine(0, file));
    kiro::Registry registry(file);
    EXPECT_EQ(registry.readString(kiro::client::kSmfPlayerKey, "engine"), "orvelmp.dll");
    EXPECT_EQ(registry.readDword(kiro::client::kSmfPlayerKey, "interface"), 0u);
    ASSERT_TRUE(kiro::client::selectMidiEngine(1, file));
    EXPECT_EQ(registry.readString(kiro::client::kSmfPlayerKey, "engine"), "orvelsmp.dll");
    EXPECT_EQ(registry.readDword(kiro::client::kSmfPlayerKey, "interface"), 1u);
    EXPECT_FALSE(kiro::client::selectMidiEngine(2, file));
    EXPECT_EQ(registry.readString(kiro::client::kSmfPlayerKey, "engine"), "orvelsmp.dll") << "other kinds do nothing";
}
