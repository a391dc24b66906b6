#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/Gainsearch.h"
#include "core/Tuneresult.h"

namespace {

TEST(GainSearch, stepMovesByOctavesAndAtLeastOneUnit) {
    struct Case {
        int value, direction;
        double delta;
        int fromZero, expected;
    };
    const std::vector<Case> cases = {
        {16, 1, 1.0, 4, 32}, {16, -1, 1.0, 4, 8},   {16, 1, 0.5, 4, 23},    {2, 1, 0.25, 4, 3},
        {2, -1, 0.25, 4, 1}, {1, -1, 0.5, 4, 0},    {0, 1, 1.0, 5, 5},      {0, -1, 1.0, 5, 0},
        {0, 1, 1.0, 0, 1},   {200, 1, 1.0, 4, 255}, {255, 1, 0.25, 4, 255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GainSearch::Step(c.value, c.direction, c.delta, c.fromZero), c.expected)
            << c.value << " " << c.direction << " " << c.delta;
    }
}

TEST(GainSearch, scaleKeepsGainsThatAreOffAndStaysInRange) {
    EXPECT_EQ(GainSearch::Scale({40, 10, 0}, 0.25), (Gains{10, 3, 0}));
    EXPECT_EQ(GainSearch::Scale({2, 1, 1}, 0.25), (Gains{1, 1, 1}));
    EXPECT_EQ(GainSearch::Scale({100, 10, 1}, 4.0), (Gains{255, 40, 4}));
}

TEST(GainSearch, anyResponseWithinTheOvershootBeatsAnyBeyondIt) {
    const StepScore within{.itae = 500, .overshootExcess = 0};
    const StepScore better{.itae = 100, .overshootExcess = 0};
    const StepScore slightlyOver{.itae = 50, .overshootExcess = 1};
    const StepScore farOver{.itae = 10, .overshootExcess = 20};
    EXPECT_LT(better, within);
    EXPECT_LT(within, slightlyOver);
    EXPECT_LT(slightlyOver, farOver);
    EXPECT_FALSE(within < within);
}

// A bowl in the logarithms of the gains with its bottom at `best`; gains beyond `wall` in Kp
// overshoot.
struct Bowl {
    Gains best;
    int wall = 255;
    int calls = 0;
    std::optional<StepScore> operator()(const Gains& g) {
        ++calls;
        double sum = 1;
        for (int i = 0; i < 3; ++i) {
            const double d = std::log2(g[i] + 1.0) - std::log2(best[i] + 1.0);
            sum += d * d;
        }
        return StepScore{.itae = sum, .overshootExcess = g[0] > wall ? g[0] - wall : 0.0};
    }
};

TEST(GainSearch, findsTheBottomOfTheBowlFromFarAway) {
    struct Case {
        Gains start, best;
    };
    const std::vector<Case> cases = {
        {{40, 10, 5}, {4, 1, 2}},
        {{8, 2, 2}, {120, 30, 60}},
        {{1, 0, 0}, {20, 5, 3}},
    };
    for (const auto& c : cases) {
        Bowl bowl{c.best};
        GainSearch search;
        const Gains found = search.Run(c.start, std::ref(bowl));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(std::log2(found[i] + 1.0), std::log2(c.best[i] + 1.0), 0.35)
                << "gain " << i << " from " << c.start[0];
        EXPECT_LT(bowl.calls, 60);
    }
}

TEST(GainSearch, staysOnTheSideOfTheOvershootLimit) {
    Bowl bowl{{100, 10, 10}, 50};
    GainSearch search;
    const Gains found = search.Run({8, 2, 2}, std::ref(bowl));
    EXPECT_LE(found[0], 50);
    EXPECT_GE(found[0], 35);
}

TEST(GainSearch, outOfTestsItKeepsTheBestSoFar) {
    for (const int allowed : {0, 1, 3, 6}) {
        Bowl bowl{{4, 1, 1}};
        int tests = 0;
        Gains bestSeen{40, 10, 5};
        double bestItae = HUGE_VAL;
        GainSearch search;
        const Gains found =
            search.Run({40, 10, 5}, [&](const Gains& g) -> std::optional<StepScore> {
                if (tests == allowed) return std::nullopt;
                ++tests;
                const auto s = bowl(g);
                if (s->itae < bestItae) {
                    bestItae = s->itae;
                    bestSeen = g;
                }
                return s;
            });
        EXPECT_EQ(tests, allowed);
        EXPECT_EQ(found, bestSeen) << allowed;
    }
}

TEST(BestExperiment, ranksLikeTheSearchAndLeavesOutTheConfirmingStep) {
    const auto step = [](double itae, double overshoot, bool confirming = false) {
        Experiment e;
        e.figures.itae = itae;
        e.figures.overshootPercent = overshoot;
        e.confirming = confirming;
        return e;
    };
    struct Case {
        std::vector<Experiment> experiments;
        int best;
    };
    const std::vector<Case> cases = {
        {{}, -1},
        {{step(50, 2), step(40, 3), step(45, 1)}, 1},
        {{step(50, 2), step(10, 12), step(45, 1)}, 2},
        {{step(10, 30), step(90, 15)}, 1},
        {{step(50, 2), step(5, 0, true)}, 0},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(BestExperiment(cases[i].experiments, 10), cases[i].best) << i;
}

}  // namespace
