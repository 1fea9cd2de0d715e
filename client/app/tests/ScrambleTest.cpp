#include "client/app/Scramble.h"

#include <gtest/gtest.h>

using namespace kiro::app;

TEST(Scramble, StoredFormIsByteIdenticalToTheOriginalGenerator)
{
    // Vectors computed apart from this code with the runtime's formula.
    EXPECT_EQ(ScrambleText("abc"), "DBD9F786896C26");
    EXPECT_EQ(ScrambleText("1234"), "CBEC190066461A34CA");
    EXPECT_EQ(ScrambleText("\x83\x70\x83\x58"), "A7AD3D56DCC34602CE"); // "パス" in CP932
    EXPECT_EQ(ScrambleText(""), "");
    EXPECT_EQ(ScrambleText("x").size(), 6u);
}

TEST(Scramble, RoundTripsEveryByteValue)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    for (std::string value : {std::string("A"), std::string("password"), all, std::string("\x81\x84")}) {
        std::string plain;
        EXPECT_EQ(UnscrambleText(ScrambleText(value), plain), 0) << value;
        EXPECT_EQ(plain, value);
    }
    std::string plain = "junk";
    EXPECT_EQ(UnscrambleText("", plain), 0);
    EXPECT_EQ(plain, "");
    // Lower-case hex written by hand still reads.
    EXPECT_EQ(UnscrambleText("dbd9f786896c26", plain), 0);
    EXPECT_EQ(plain, "abc");
}

TEST(Scramble, OneAlteredDigitOrAForeignTextIsTakenAsStored)
{
    std::string stored = ScrambleText("secret");
    for (std::size_t i = 0; i + 2 < stored.size(); ++i) {
        std::string altered = stored;
        altered[i] = altered[i] == '0' ? '1' : '0';
        std::string plain;
        EXPECT_EQ(UnscrambleText(altered, plain), 1) << "digit " << i;
        EXPECT_EQ(plain, altered);
    }
    for (const char* foreign : {"0000", "00", "1234", "XYZXYZ", "DBD9F786896C2", "DBD9F786896C2G"}) {
        std::string plain;
        EXPECT_EQ(UnscrambleText(foreign, plain), 1) << foreign;
        EXPECT_EQ(plain, foreign);
    }
}

TEST(Scramble, ParenthesisedValueIsTakenLiterally)
{
    std::string plain;
    EXPECT_EQ(UnscrambleText("(my pass)", plain), 0);
    EXPECT_EQ(plain, "my pass");
    EXPECT_EQ(UnscrambleText("()", plain), 0);
    EXPECT_EQ(plain, "");
    EXPECT_EQ(UnscrambleText("(open", plain), 1);
    EXPECT_EQ(plain, "(open");
}
