// What the built-ins pay from a frame's work budget for what they do, and how movies that ask
// them for far more than a frame may take play on within their bytes.
#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "tests/native/SwfHostileMovies.h"

#include <gtest/gtest.h>

using namespace swftest;

namespace {

// Whether the one frame of a movie running `script` reaches its end with `units` of work.
bool Finishes(const swf::Movie& movie, std::size_t units)
{
    swf::Player player(movie, swf::avm1::MakeScripts, false, units);
    bool done = false;
    player.SetTraceOutput([&done](const std::string& line) { done = done || line == "done"; });
    player.Advance();
    return done;
}

// The least work, in units, with which `script` runs to its end: a call's cost is what a
// script with the call takes beyond the same script without it.
std::size_t UnitsToFinish(const std::string& script)
{
    const Bytes file = Movie(DoAction(Asm(script + "push 'done'; trace")) + ShowFrame());
    const auto movie = swf::Movie::Load(file.data(), file.size(), nullptr, swf::kMaxMovieBytes);
    std::size_t lo = 0, hi = swf::kFrameWorkUnits;
    EXPECT_TRUE(Finishes(*movie, hi)) << script;
    while (hi - lo > swf::kCostAction / 2) {
        const std::size_t mid = lo + (hi - lo) / 2;
        (Finishes(*movie, mid) ? hi : lo) = mid;
    }
    return hi;
}

// What `call` costs after `setup`, in steps of one action each.
double StepsOf(const std::string& setup, const std::string& call)
{
    return (static_cast<double>(UnitsToFinish(setup + call)) - static_cast<double>(UnitsToFinish(setup))) /
           swf::kCostAction;
}

const std::string kLetters4096 = Doubled("s", "a", 12);  // s: 4096 letters a
const std::string kNeedle = "push 'needle', 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab'; setvar; ";
const std::string kSplitLetters = "push '', 1, 's'; getvar; push 'split'; callmethod; push 'a'; swap; setvar; ";

// Script text that makes `count` empty clips c0, c1, ... on the root.
std::string MakeClips(int count)
{
    return "push 'i', 0; setvar; make: push 'i'; getvar; push 'c', 'i'; getvar; add2; push 2, '_root'; getvar; "
           "push 'createEmptyMovieClip'; callmethod; pop; push 'i', 'i'; getvar; inc; setvar; "
           "push 'i'; getvar; push " + std::to_string(count) + "; less2; if make; ";
}

// `count` lookups of the clip named `name` on the root.
std::string LookUp(const std::string& name, int count)
{
    return "push 'k', " + std::to_string(count) + "; setvar; look: push '_root'; getvar; push '" + name +
           "'; get; pop; push 'k', 'k'; getvar; dec; setvar; push 'k'; getvar; if look; ";
}

}  // namespace

TEST(Avm1Work, EachBuiltInPaysForTheWorkItDoes)
{
    // A needle of 65 letters that is nowhere in 4096: 4032 places, each compared over 65
    // letters, one step per 16 letters compared.
    const double search = 4032.0 * 65 / 16;
    const double sortSteps = 1024 * 10;  // n log2 n comparisons at most for 1024 elements
    struct Case {
        const char* what;
        std::string setup, call;
        double least, most;  // steps
    } cases[] = {
        {"indexOf of a long needle", kLetters4096 + kNeedle,
         "push 'needle'; getvar; push 1, 's'; getvar; push 'indexOf'; callmethod; pop; ", search, search * 1.1},
        {"lastIndexOf of a long needle", kLetters4096 + kNeedle,
         "push 'needle'; getvar; push 1, 's'; getvar; push 'lastIndexOf'; callmethod; pop; ", search, search * 1.1},
        {"split by a long separator", kLetters4096 + kNeedle,
         "push 'needle'; getvar; push 1, 's'; getvar; push 'split'; callmethod; pop; ", search, search * 1.1},
        {"sort of 1024 strings", Doubled("s", "x9", 9) + kSplitLetters,
         "push 0, 'a'; getvar; push 'sort'; callmethod; pop; ", sortSteps / 2, sortSteps * 1.3},
        {"join of 4096 elements", kLetters4096 + kSplitLetters,
         "push 0, 'a'; getvar; push 'join'; callmethod; pop; ", 4096, 4096 * 1.2},
        {"reverse of 4096 elements", kLetters4096 + kSplitLetters,
         "push 0, 'a'; getvar; push 'reverse'; callmethod; pop; ", 4096 / 8, 4096 / 8 + 16},
        {"slice of 4096 elements", kLetters4096 + kSplitLetters,
         "push 0, 'a'; getvar; push 'slice'; callmethod; pop; ", 4096, 4096 * 1.15},
        {"enumeration of 4096 elements", kLetters4096 + kSplitLetters, "push 'a'; getvar; enumerate2; ", 4096,
         4096 * 1.1},
    };
    for (const Case& c : cases) {
        const double steps = StepsOf(c.setup, c.call);
        EXPECT_GE(steps, c.least) << c.what;
        EXPECT_LE(steps, c.most) << c.what;
    }
}

TEST(Avm1Work, FindingAChildByNameCostsTheSameAmongThreeOrAThousandClips)
{
    const double amongThree = StepsOf(MakeClips(3), LookUp("c2", 200));
    const double amongThousand = StepsOf(MakeClips(1000), LookUp("c999", 200));
    EXPECT_LT(amongThousand, amongThree + 20);
    // A child renamed or removed is found by its new name, or another of its name in its place.
    const std::string script = MakeClips(3) +
                               "push '_root'; getvar; push 'c1'; get; push '_name', 'moved'; set; "
                               "push '_root'; getvar; push 'moved'; get; push '_name'; get; trace; "
                               "push '_root'; getvar; push 'c1'; get; typeof; trace; "
                               "push 5, 'c0', 2, '_root'; getvar; push 'createEmptyMovieClip'; callmethod; pop; "
                               "push 0, '_root'; getvar; push 'c0'; get; push 'getDepth'; callmethod; trace; "
                               "push 0, '_root'; getvar; push 'c0'; get; push 'removeMovieClip'; callmethod; pop; "
                               "push 0, '_root'; getvar; push 'c0'; get; push 'getDepth'; callmethod; trace; ";
    const Bytes file = Movie(DoAction(Asm(script)) + ShowFrame());
    const auto movie = swf::Movie::Load(file.data(), file.size(), nullptr, swf::kMaxMovieBytes);
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    std::string trace;
    player.SetTraceOutput([&trace](const std::string& line) { trace += line + "\n"; });
    player.Advance();
    EXPECT_EQ("moved\nundefined\n0\n5\n", trace);
}

TEST(Avm1Work, MoviesThatAskForTooMuchPlayOnFrameAfterFrameWithinTheirBytes)
{
    // Time is not what these movies test: a small budget keeps them quick.
    constexpr std::size_t kUnits = swf::kFrameWorkUnits / 64;
    for (const HostileMovie& hostile : ScriptedHostileMovies()) {
        const auto movie = swf::Movie::Load(hostile.file.data(), hostile.file.size(), nullptr, swf::kMaxMovieBytes);
        swf::Player player(*movie, swf::avm1::MakeScripts, true, kUnits);
        std::string diagnostics;
        player.SetDiagnosticOutput([&diagnostics](const std::string& line) { diagnostics += line + "\n"; });
        for (int i = 0; i < 24; ++i) {
            player.Advance();
            EXPECT_EQ(i % 2 + 1, player.CurrentFrame()) << hostile.kind;
        }
        EXPECT_EQ(std::string::npos, diagnostics.find("memory")) << hostile.kind << ": " << diagnostics;
        EXPECT_NE(std::string::npos, diagnostics.find("script abandoned")) << hostile.kind;
    }
}
