// data_exchange_test.cpp: the framework's number parsing, range and length checks and their prompts.
#include "common/ui/data_exchange.h"
#include "tests/fakes/fake_dialog.h"

#include <gtest/gtest.h>

using namespace lt::ui;
using lt::test::ControlKind;
using lt::test::FakeDialog;

TEST(DataExchange, readsAnUnsignedNumberWithBlanksAroundItAndNothingElse) {
    struct Case { const char* text; std::optional<uint32_t> value; };
    const Case cases[] = {
        {"0", 0u}, {"42", 42u}, {"  42", 42u}, {"42 \t", 42u}, {"\t007 ", 7u}, {"4294967295", 4294967295u},
        {"4294967296", std::nullopt}, {"99999999999999999999", std::nullopt}, {"", std::nullopt},
        {"   ", std::nullopt}, {"-1", std::nullopt}, {"+1", std::nullopt}, {"12a", std::nullopt},
        {"1 2", std::nullopt}, {"0x10", std::nullopt}, {"1.5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseUnsigned(c.text), c.value) << '"' << c.text << '"';
}

TEST(DataExchange, readsASignedNumberWithinTheIntRange) {
    struct Case { const char* text; std::optional<int32_t> value; };
    const Case cases[] = {
        {"-5", -5}, {" +5 ", 5}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"-", std::nullopt}, {"--1", std::nullopt},
        {"- 1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseSigned(c.text), c.value) << '"' << c.text << '"';
}

TEST(DataExchange, fillsThePromptsWithTheLimits) {
    EXPECT_EQ(rangePrompt(1, 100000), "Please enter an integer between 1 and 100000.");
    EXPECT_EQ(maxCharsPrompt(21), "Please enter no more than 21 characters.");
    EXPECT_EQ(formatPrompt("%2-%1-%3", "a", "b"), "b-a-%3");
}

TEST(DataExchange, aFailedExchangePromptsWithTheExclamationIconAndFocusesTheBox) {
    FakeDialog view;
    view.add(1004, ControlKind::Edit, "12x");
    view.add(1005, ControlKind::Edit, "1515");
    uint32_t value = 99;
    EXPECT_FALSE(exchangeUnsigned(view, 1004, value));
    EXPECT_EQ(value, 99u);
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "Please enter a positive integer.");
    EXPECT_EQ(view.messages()[0].icon, Icon::Exclamation);
    EXPECT_EQ(view.messages()[0].buttons, Buttons::Ok);
    EXPECT_EQ(view.focused(), 1004);

    ASSERT_TRUE(exchangeUnsigned(view, 1005, value));
    EXPECT_EQ(value, 1515u);
    EXPECT_FALSE(checkRange(view, 1005, value, 1, 1514));
    EXPECT_EQ(view.messages().back().text, "Please enter an integer between 1 and 1514.");
    EXPECT_EQ(view.focused(), 1005);
    EXPECT_TRUE(checkRange(view, 1005, 1514, 1, 1514));

    EXPECT_TRUE(checkMaxChars(view, 1004, "123456789012345678901", 21));
    EXPECT_FALSE(checkMaxChars(view, 1004, "1234567890123456789012", 21));
    EXPECT_EQ(view.messages().back().text, "Please enter no more than 21 characters.");
    EXPECT_EQ(view.messages().size(), 3u);
}
