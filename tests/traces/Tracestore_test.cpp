#include "traces/Tracestore.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

/// A distinct value for every trace and sample, never 0.
std::int32_t Pattern(int trace, int index) {
    return (trace + 1) * 100000 + index + 1;
}

TraceSample PatternSample(int index) {
    TraceSample sample{};
    for (int trace = 0; trace < TraceCount; ++trace) sample[trace] = Pattern(trace, index);
    return sample;
}

// The store is 648 kB: keep it off the stack.
std::unique_ptr<TraceStore> StoreWith(int samples) {
    auto store = std::make_unique<TraceStore>();
    for (int i = 0; i < samples; ++i) store->Append(PatternSample(i));
    return store;
}

void ExpectZeroFrom(const TraceStore& store, int from, int to) {
    for (int trace = 0; trace < TraceCount; ++trace)
        for (int i = from; i < to; ++i)
            ASSERT_EQ(store.value(trace, i), 0) << "trace " << trace << " index " << i;
}

TEST(TraceStore, StoresTheLastSlotThenRefuses) {
    auto store = StoreWith(TraceCapacity - 1);
    EXPECT_TRUE(store->Append(PatternSample(TraceCapacity - 1)));
    EXPECT_EQ(store->count(), TraceCapacity);
    EXPECT_EQ(store->value(PllPer, TraceCapacity - 1), Pattern(PllPer, TraceCapacity - 1));

    EXPECT_FALSE(store->Append(PatternSample(0)));
    EXPECT_EQ(store->count(), TraceCapacity);
    for (int trace = 0; trace < TraceCount; ++trace)
        EXPECT_EQ(store->value(trace, TraceCapacity - 1), Pattern(trace, TraceCapacity - 1));
}

TEST(TraceStore, HeaterOnlyAppendLeavesFanColumnsZero) {
    auto store = std::make_unique<TraceStore>();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(store->Append(PatternSample(i), false));
    for (int i = 0; i < 3; ++i) {
        for (int trace : {Vset, Vget, Pwm}) EXPECT_EQ(store->value(trace, i), 0);
        for (int trace : {Tset, Tget, Tcj, Power, PllErr, PllPer})
            EXPECT_EQ(store->value(trace, i), Pattern(trace, i));
    }
}

TEST(TraceStore, ClearZeroesEverySlotAndKeepsModified) {
    auto store = StoreWith(TraceCapacity);
    store->setModified(true);
    store->Clear();
    EXPECT_EQ(store->count(), 0);
    EXPECT_TRUE(store->modified());
    ExpectZeroFrom(*store, 0, TraceCapacity);
}

TEST(TraceStore, AppendIsNotAModification) {
    auto store = StoreWith(5);
    EXPECT_FALSE(store->modified());
}

enum class Cut { Left, Right };

TEST(TraceStore, CutsKeepTheRightSamples) {
    constexpr int Count = 5;
    struct Case {
        const char* name;
        Cut cut;
        int k;
        bool cuts;
        int firstKept;  // source index of the new sample 0
        int kept;
    };
    const Case cases[] = {
        {"left at first", Cut::Left, 0, true, 0, Count},
        {"left in the middle", Cut::Left, 2, true, 2, 3},
        {"left at last", Cut::Left, Count - 1, true, Count - 1, 1},
        {"left beyond the end", Cut::Left, Count, false, 0, Count},
        {"left before the start", Cut::Left, -1, false, 0, Count},
        {"right at first", Cut::Right, 0, true, 0, 1},
        {"right in the middle", Cut::Right, 2, true, 0, 3},
        {"right at last", Cut::Right, Count - 1, true, 0, Count},
        {"right beyond the end", Cut::Right, Count, false, 0, Count},
        {"right before the start", Cut::Right, -1, false, 0, Count},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = StoreWith(Count);
        const bool cut = c.cut == Cut::Left ? store->CutLeft(c.k) : store->CutRight(c.k);
        EXPECT_EQ(cut, c.cuts);
        EXPECT_EQ(store->modified(), c.cuts);
        ASSERT_EQ(store->count(), c.kept);
        for (int trace = 0; trace < TraceCount; ++trace)
            for (int i = 0; i < c.kept; ++i)
                EXPECT_EQ(store->value(trace, i), Pattern(trace, c.firstKept + i));
        ExpectZeroFrom(*store, c.kept, Count + 1);
    }
}

TEST(TraceStore, CutOfAnEmptyStoreDoesNothing) {
    TraceStore store;
    EXPECT_FALSE(store.CutLeft(0));
    EXPECT_FALSE(store.CutRight(0));
    EXPECT_FALSE(store.modified());
}

TEST(TraceStore, AppendAfterACutContinuesAtTheNewCount) {
    auto store = StoreWith(5);
    ASSERT_TRUE(store->CutLeft(3));
    ASSERT_TRUE(store->Append(PatternSample(9)));
    EXPECT_EQ(store->count(), 3);
    EXPECT_EQ(store->value(Tset, 1), Pattern(Tset, 4));
    EXPECT_EQ(store->value(Tset, 2), Pattern(Tset, 9));
}

TEST(TraceStore, CutOfAFullStoreMakesRoomAgain) {
    auto store = StoreWith(TraceCapacity);
    ASSERT_TRUE(store->CutRight(TraceCapacity - 2));
    EXPECT_TRUE(store->Append(PatternSample(0)));
    EXPECT_FALSE(store->Append(PatternSample(0)));
}

}  // namespace
