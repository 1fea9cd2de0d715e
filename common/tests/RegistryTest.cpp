#include "common/Registry.h"
#include "common/AtomicFile.h"
#include "common/tests/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using kiro::Registry;
using kiro::RegistryValue;

namespace {

const char* kPlayerKey = "SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer";

} // namespace

TEST(Registry, WritesRegeditTextAndReadsItBackInAnotherInstance)
{
    TempDir dir("reg");
    fs::path file = dir.path / "registry.reg";
    {
        Registry reg(file);
        EXPECT_FALSE(reg.openKey(kPlayerKey));
        EXPECT_FALSE(fs::exists(file)) << "reading must not create the file";
        auto key = reg.createKey(kPlayerKey);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key->writeString("engine", "orvelmp.dll"));
        EXPECT_TRUE(key->writeDword("interface", 12));
        EXPECT_TRUE(reg.writeString("SOFTWARE\\Orvel", "", "C:\\Path \"q\""));
    }
    EXPECT_EQ(fileText(file),
              "REGEDIT4\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel]\n"
              "@=\"C:\\\\Path \\\"q\\\"\"\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel\\ＫＩＲＯ]\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer]\n"
              "\"engine\"=\"orvelmp.dll\"\n"
              "\"interface\"=dword:0000000c\n\n");

    Registry again(file);
    EXPECT_EQ(again.readString(kPlayerKey, "engine"), "orvelmp.dll");
    EXPECT_EQ(again.readDword(kPlayerKey, "interface"), 12u);
    EXPECT_EQ(again.readString("SOFTWARE\\Orvel", "@"), "C:\\Path \"q\"");
    // A value of the other type is not returned as this one.
    EXPECT_FALSE(again.readDword(kPlayerKey, "engine"));
    EXPECT_TRUE(again.problems().empty());
}

TEST(Registry, NamesAreCaseInsensitiveIncludingFullWidthLetters)
{
    Registry reg = Registry::fromText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer]\n"
                                      "\"Engine\"=\"orvelmp.dll\"\n");
    EXPECT_EQ(reg.readString("hkey_local_machine\\software\\ORVEL\\ｋｉｒｏ\\SMFPLAYER", "ENGINE"), "orvelmp.dll");
    EXPECT_TRUE(reg.writeString("software\\orvel\\ｋｉｒｏ\\smfplayer", "engine", "orvelsmp.dll"));
    // The stored spelling stays; no second key or value appears.
    EXPECT_EQ(reg.valueNames(kPlayerKey), std::vector<std::string>{"Engine"});
    EXPECT_EQ(reg.subkeys("SOFTWARE\\Orvel"), std::vector<std::string>{"ＫＩＲＯ"});
    EXPECT_EQ(reg.readString(kPlayerKey, "engine"), "orvelsmp.dll");
}

TEST(Registry, EnumeratesAndDeletesKeysWithTheirSubtree)
{
    TempDir dir("reg");
    Registry reg(dir.path / "registry.reg");
    ASSERT_TRUE(reg.writeDword("A\\B\\C", "x", 1));
    ASSERT_TRUE(reg.writeDword("A\\B\\D", "y", 2));
    ASSERT_TRUE(reg.writeString("A\\B", "z", "t"));
    EXPECT_EQ(reg.subkeys("A\\B"), (std::vector<std::string>{"C", "D"}));
    EXPECT_EQ(reg.subkeys(""), std::vector<std::string>{"A"});
    EXPECT_TRUE(reg.deleteValue("A\\B", "Z"));
    EXPECT_FALSE(reg.deleteValue("A\\B", "z"));
    EXPECT_TRUE(reg.valueNames("A\\B").empty());
    EXPECT_TRUE(reg.deleteKey("a\\b"));
    EXPECT_FALSE(reg.keyExists("A\\B\\C"));
    EXPECT_TRUE(reg.keyExists("A"));
    EXPECT_FALSE(reg.deleteKey("A\\B"));
    EXPECT_FALSE(reg.createKey("A\\\\B")) << "empty component";
    EXPECT_FALSE(reg.writeString("A", "n", "two\nlines"));

    Registry other(dir.path / "registry.reg");
    EXPECT_TRUE(other.keyExists("A"));
    EXPECT_FALSE(other.keyExists("A\\B"));
}

TEST(Registry, SeesChangesMadeByAnotherWriter)
{
    TempDir dir("reg");
    Registry a(dir.path / "registry.reg");
    Registry b(dir.path / "registry.reg");
    ASSERT_TRUE(a.writeDword("K", "v", 1));
    EXPECT_EQ(b.readDword("K", "v"), 1u);
    ASSERT_TRUE(b.writeDword("K", "w", 2));
    ASSERT_TRUE(a.writeDword("K", "v", 3)); // must not drop b's value
    EXPECT_EQ(b.readDword("K", "w"), 2u);
    EXPECT_EQ(b.readDword("K", "v"), 3u);
}

TEST(Registry, SyntaxErrorsAreReportedByLineAndTheFileIsBackedUpBeforeRewrite)
{
    TempDir dir("reg");
    fs::path file = dir.path / "registry.reg";
    const std::string broken = "REGEDIT4\r\n"
                               "\r\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept]\r\n"
                               "\"good\"=dword:00000010\r\n"
                               "\"bad\"=dword:xyz\r\n"
                               "garbage line\r\n"
                               "\"bin\"=hex:01,02,\\\r\n"
                               "  03\r\n"
                               "[HKEY_CURRENT_USER\\Other]\r\n"
                               "\"lost\"=\"x\"\r\n";
    ASSERT_TRUE(kiro::writeFileAtomically(file, broken).empty());

    Registry reg(file);
    EXPECT_EQ(reg.readDword("SOFTWARE\\Kept", "good"), 16u);
    auto bin = reg.readValue("SOFTWARE\\Kept", "bin");
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->type, RegistryValue::Type::Other);
    EXPECT_EQ(bin->text, "hex:01,02,03");
    ASSERT_EQ(reg.problems().size(), 3u);
    EXPECT_EQ(reg.problems()[0].line, 5);
    EXPECT_EQ(reg.problems()[1].line, 6);
    EXPECT_EQ(reg.problems()[2].line, 9);

    ASSERT_TRUE(reg.writeDword("SOFTWARE\\Kept", "new", 1));
    EXPECT_EQ(fileText(dir.path / "registry.reg.bak"), broken);
    EXPECT_TRUE(reg.readDword("SOFTWARE\\Kept", "good"));
    EXPECT_TRUE(reg.problems().empty()) << "the rewritten file parses cleanly";
    EXPECT_NE(fileText(file).find("\"bin\"=hex:01,02,03\n"), std::string::npos);

    // A second damaged file gets its own backup.
    ASSERT_TRUE(kiro::writeFileAtomically(file, "not a registry\n").empty());
    ASSERT_TRUE(reg.writeDword("X", "y", 1));
    EXPECT_EQ(fileText(dir.path / "registry.reg.bak2"), "not a registry\n");
    EXPECT_EQ(fileText(dir.path / "registry.reg.bak"), broken);
}

TEST(Registry, ArbitraryBytesNeverCrashTheParser)
{
    std::uint32_t state = 12345;
    const std::string alphabet = "[]\"=\\@:;-dwordhex(),0123456789abcdefHKEY_LOCAL_MACHINE\n\r \t\xEF\xBC\xA1";
    for (int round = 0; round < 300; ++round) {
        std::string text = round % 2 ? "REGEDIT4\n" : "";
        for (int i = 0; i < 200; ++i) {
            state = state * 1103515245u + 12345u;
            text += round % 3 ? alphabet[(state >> 16) % alphabet.size()] : static_cast<char>(state >> 24);
        }
        std::vector<kiro::RegistryProblem> problems;
        Registry reg = Registry::fromText(text, &problems);
        // Whatever was kept must survive its own text form unchanged.
        std::string once = reg.toText();
        std::vector<kiro::RegistryProblem> again;
        EXPECT_EQ(Registry::fromText(once, &again).toText(), once);
        EXPECT_TRUE(again.empty()) << once;
    }
}
