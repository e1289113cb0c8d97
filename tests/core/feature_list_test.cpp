#include <gtest/gtest.h>

#include "core/error.h"
#include "core/controls.h"
#include "tests/core/host_fixture.h"

namespace dravosk {
namespace {

using test::texts;

TEST(FeatureList, MarkingButtonsWriteEveryEntryAndIgnoreAnEmptyList) {
    sim::MemoryFeatureList list;
    markAll(list);
    unmarkAll(list);
    EXPECT_EQ(list.count(), 0);

    for (auto text : {u"A", u"B", u"A", u"C"}) {
        list.append(text);
    }
    EXPECT_FALSE(list.isMarked(0));
    list.setMarked(2, true);
    EXPECT_FALSE(list.isMarked(0)) << "equal texts keep independent marks";
    markAll(list);
    for (Int16 i = 0; i < list.count(); ++i) {
        EXPECT_TRUE(list.isMarked(i));
    }
    list.setMarked(1, false);
    unmarkAll(list);
    for (Int16 i = 0; i < list.count(); ++i) {
        EXPECT_FALSE(list.isMarked(i));
    }
}

TEST(FeatureList, ClearForgetsEntriesAndMarks) {
    sim::MemoryFeatureList list;
    list.append(u"A");
    list.append(u"B");
    markAll(list);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    list.append(u"C");
    EXPECT_EQ(texts(list), std::vector<std::u16string>{u"C"});
    EXPECT_FALSE(list.isMarked(0));
}

TEST(FeatureList, HoldsAtMost32767EntriesAndRefusesTheNext) {
    sim::MemoryFeatureList list;
    for (int i = 0; i < kInt16Max; ++i) {
        list.append(u"M");
    }
    ASSERT_EQ(list.count(), 32767);
    markAll(list);  // the last index is 32766: the loop must not overflow
    EXPECT_TRUE(list.isMarked(32766));
    try {
        list.append(u"zu viel");
        FAIL() << "the 32,768th entry was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), errnum::kListFull);
        EXPECT_NE(e.description().find(u"32.767"), std::u16string::npos);
    }
    EXPECT_EQ(list.count(), 32767);
    EXPECT_EQ(list.text(32766), u"M");
    unmarkAll(list);
    EXPECT_FALSE(list.isMarked(32766));
}

TEST(FeatureList, IndexOutsideTheListIsAnErrorNotUndefinedBehaviour) {
    sim::MemoryFeatureList list;
    list.append(u"A");
    EXPECT_THROW(list.text(1), Error);
    EXPECT_THROW(list.isMarked(-1), Error);
    EXPECT_THROW(list.setMarked(1, true), Error);
}

}  // namespace
}  // namespace dravosk
