// The table of actions by code and name, the line the player gives for each script that an
// error or a limit abandons (the action where it stopped and why), and the collector's roots.
#include "swf/avm1/Actions.h"
#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "tests/native/SwfTestWriter.h"

#include <gtest/gtest.h>

#include <set>

using namespace swftest;
using swf::avm1::Action;
using swf::avm1::ActionGroup;
using swf::avm1::ActionInfo;
using swf::avm1::kActions;

namespace {

// What one frame of a movie running `code` traced and reported, a line each.
struct Heard {
    std::string trace;
    std::string diagnostics;
};

Heard PlayTwoFrames(const Bytes& code)
{
    const Bytes file = Movie(DoAction(code) + ShowFrame() + DoAction(Asm("push 'frame2'; trace")) + ShowFrame());
    auto movie = swf::Movie::Load(file.data(), file.size(), nullptr, swf::kMaxMovieBytes);
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    Heard heard;
    auto add = [](std::string& to) {
        return [&to](const std::string& line) { to += (to.empty() ? "" : "\n") + line; };
    };
    player.SetTraceOutput(add(heard.trace));
    player.SetDiagnosticOutput(add(heard.diagnostics));
    player.Advance();
    player.Advance();
    return heard;
}

}  // namespace

TEST(Avm1ActionTable, EveryCodeNameAndAssemblerNameStandsForOneAction)
{
    std::set<int> codes;
    std::set<std::string_view> names, assemblerNames;
    for (const ActionInfo& a : kActions) {
        const int code = static_cast<uint8_t>(a.code);
        EXPECT_TRUE(codes.insert(code).second) << "code " << code;
        EXPECT_TRUE(names.insert(a.name).second) << a.name;
        EXPECT_TRUE(assemblerNames.insert(a.assembler).second) << a.assembler;
        EXPECT_EQ(0u, a.name.find("Action")) << a.name;
        EXPECT_EQ(&a, swf::avm1::FindAction(static_cast<uint8_t>(code))) << a.name;
    }
    EXPECT_EQ(100u, codes.size());
}

TEST(Avm1ActionTable, NamesCodesAndGroupsAsTheLoopAndTheAssemblerUseThem)
{
    struct Case {
        uint8_t code;
        const char* name;
        const char* assembler;
        ActionGroup group;
    };
    const Case cases[] = {
        {0x00, "ActionEnd", "end", ActionGroup::kControl},
        {0x05, "ActionPreviousFrame", "prevframe", ActionGroup::kTimeline},
        {0x1C, "ActionGetVariable", "getvar", ActionGroup::kVariable},
        {0x21, "ActionStringAdd", "concat", ActionGroup::kString},
        {0x52, "ActionCallMethod", "callmethod", ActionGroup::kObject},
        {0x63, "ActionBitLShift", "shl", ActionGroup::kArithmetic},
        {0x67, "ActionGreater", "greater", ActionGroup::kCompare},
        {0x87, "ActionStoreRegister", "store", ActionGroup::kStack},
        {0x8C, "ActionGoToLabel", "label", ActionGroup::kTimeline},
        {0x8E, "ActionDefineFunction2", "function2", ActionGroup::kControl},
        {0x96, "ActionPush", "push", ActionGroup::kStack},
        {0x9E, "ActionCall", "callframe", ActionGroup::kTimeline},
    };
    for (const Case& c : cases) {
        const ActionInfo* a = swf::avm1::FindAction(c.code);
        ASSERT_NE(nullptr, a) << c.name;
        EXPECT_EQ(c.name, a->name);
        EXPECT_EQ(c.assembler, a->assembler);
        EXPECT_EQ(c.group, swf::avm1::GroupOf(c.code)) << c.name;
        // Codes from 0x80 carry the length of their operands: none here.
        EXPECT_EQ((c.code < 0x80 ? Bytes{c.code} : Bytes{c.code, 0, 0}), Asm(c.assembler)) << c.name;
    }
    for (uint8_t code : {0x01, 0x03, 0x19, 0x80, 0xFF}) {
        EXPECT_EQ(nullptr, swf::avm1::FindAction(code)) << int(code);
        EXPECT_EQ(ActionGroup::kUnknown, swf::avm1::GroupOf(code)) << int(code);
    }
    EXPECT_EQ((Bytes{0x4E, 0x4F}), Asm("get; set"));
}

TEST(Avm1Diagnostics, AnAbandonedScriptIsNamedByTheActionWhereItStoppedAndWhy)
{
    const Bytes deep = Fn("r", {}, Asm("push 0, 'r'; call; return"));
    // Blocks nested 5000 deep, far beyond what the stack of one interpreter per level holds.
    Bytes withs = Asm("push 1; pop"), tries = withs;
    for (int i = 0; i < 5000; ++i) {
        withs = Asm("push 0") + With(withs);
        tries = Try(tries, "e", {});
    }
    withs = Asm("push 'start'; trace") + withs;
    tries = Asm("push 'start'; trace") + tries;
    // A toString that converts its own object again, and a sort whose compare sorts again.
    const Bytes reentry = Fn("s", {}, Asm("push '', 'this'; getvar; add2; return")) +
                          Asm("push 'o', 0; object; setvar; push 'o'; getvar; push 'toString', 's'; getvar; set; "
                              "push 'start'; trace; push 'o'; getvar; tostring; pop");
    const Bytes sorts = Fn("c", {}, Asm("push 'c'; getvar; push 1, 'a'; getvar; push 'sort'; callmethod; return")) +
                        Asm("push 'a', 2, 1, 2; array; setvar; push 'start'; trace; "
                            "push 'c'; getvar; push 1, 'a'; getvar; push 'sort'; callmethod; pop");
    struct Case {
        Bytes code;
        const char* diagnostics;
    };
    const Case cases[] = {
        {Asm("push 'start'; trace; push 's', 'xxxxxxxx'; setvar; "
             "loop: push 's', 's'; getvar; push 's'; getvar; add2; setvar; jump loop"),
         "script abandoned at ActionAdd2: a string grew too long"},
        {Asm("push 'start'; trace; push 's', 'xxxxxxxx'; setvar; "
             "loop: push 's', 's'; getvar; push 1, 's'; getvar; push 'concat'; callmethod; setvar; jump loop"),
         "script abandoned at ActionCallMethod: a string grew too long"},
        {Asm("push 'start'; trace; loop: jump loop"),
         "script abandoned at ActionJump: the frame's scripts ran too long"},
        {deep + Asm("push 'start'; trace; push 0, 'r'; call; push 'after'; trace"),
         "script abandoned at ActionCallFunction: scripts are nested too deeply"},
        {withs, "script abandoned at ActionWith: scripts are nested too deeply"},
        {tries, "script abandoned at ActionTry: scripts are nested too deeply"},
        {reentry, "script abandoned at ActionAdd2: scripts are nested too deeply"},
        {sorts, "script abandoned at ActionCallMethod: scripts are nested too deeply"},
        {Asm("push 'start'; trace") + Bytes{0x96, 0x10, 0x00, 0x00},
         "script abandoned at ActionPush: an action is truncated"},
        {Asm("push 'start'; trace") + Bytes{0xFE, 0x10, 0x00},
         "script abandoned at action 0xFE: an action is truncated"},
        {Asm("push 'start'; trace; push 'oops'; throw; push 'after'; trace"),
         "script abandoned at ActionThrow: a thrown value was not caught"},
        // Inside a function, the action that stopped it is the function's own.
        {Fn("f", {}, Asm("push 'v'; throw")) + Asm("push 'start'; trace; push 0, 'f'; call"),
         "script abandoned at ActionThrow: a thrown value was not caught"},
        {Try(Asm("push 'v'; throw"), "e", Asm("push 'start'; trace")), ""},
        {Asm("push 'start'; trace"), ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Heard heard = PlayTwoFrames(cases[i].code);
        EXPECT_EQ("start\nframe2", heard.trace) << "case " << i;
        EXPECT_EQ(cases[i].diagnostics, heard.diagnostics) << "case " << i;
    }
}

TEST(Avm1Work, SortComparesAboutNLogNTimesAndTheMovieGoesOn)
{
    // 1000 numbers in falling order, sorted by a compare function that counts its calls: a
    // merge needs fewer than 1000 * log2(1000) comparisons, an insertion sort half a million.
    const Bytes compare = Fn("c", {"x", "y"}, Asm("push 'n', 'n'; getvar; inc; setvar; "
                                                  "push 'x'; getvar; push 'y'; getvar; subtract; return"));
    const Bytes code = compare + Asm("push 'n', 0; setvar; push 'a', 0; array; setvar; push 'i', 1000; setvar; "
                                     "fill: push 'i'; getvar; push 1, 'a'; getvar; push 'push'; callmethod; pop; "
                                     "push 'i', 'i'; getvar; dec; setvar; push 'i'; getvar; if fill; "
                                     "push 'c'; getvar; push 1, 'a'; getvar; push 'sort'; callmethod; pop; "
                                     "push 'start'; trace; push 'n'; getvar; push 10000; less2; trace; "
                                     "push 'a'; getvar; push 0; get; trace; push 'a'; getvar; push 999; get; trace");
    const Heard heard = PlayTwoFrames(code);
    EXPECT_EQ("start\ntrue\n1\n1000\nframe2", heard.trace);
    EXPECT_EQ("", heard.diagnostics);
}

TEST(Avm1Memory, AStacksBufferIsPaidWhileItsFrameRunsAndGivenBackAfter)
{
    // 40,000 values a frame take over a megabyte of buffer: forty frames would use up the
    // movie's bytes if a frame's buffer were not given back when it ends.
    const Bytes code = Asm("push 'i', 5000; setvar; "
                           "fill: push 1, 2, 3, 4, 5, 6, 7, 8, 'i', 'i'; getvar; dec; setvar; push 'i'; getvar; if fill; "
                           "push 'done'; trace");
    const Bytes file = Movie(DoAction(code) + ShowFrame() + ShowFrame());
    auto movie = swf::Movie::Load(file.data(), file.size(), nullptr, swf::kMaxMovieBytes);
    swf::Player player(*movie, swf::avm1::MakeScripts, true);
    int done = 0;
    std::string diagnostics;
    player.SetTraceOutput([&done](const std::string& line) { done += line == "done"; });
    player.SetDiagnosticOutput([&diagnostics](const std::string& line) { diagnostics += line; });
    for (int i = 0; i < 80; ++i)
        player.Advance();
    EXPECT_EQ(40, done);
    EXPECT_EQ("", diagnostics);
}

TEST(Avm1Collector, APrototypeThePlayerHandsOutOutlivesItsDeletedClass)
{
    // A text field placed after TextField was deleted and the heap collected still gets the
    // prototype the script had given a property.
    const Bytes field = Tag(37, U16(3) + Rect(0, 1200, 0, 1200) + Bytes{0x85, 0x08} + U16(0) + U16(800) +
                                    Rgba(0, 0, 255) + Str("") + Str(""));
    const Bytes frame1 = Asm("push 'TextField'; getvar; push 'prototype'; get; push 'mark', 'kept'; set; "
                             "push '_global'; getvar; push 'TextField'; delete; pop; push 'i', 0; setvar; "
                             "loop: push 0; array; pop; push 'i', 'i'; getvar; inc; setvar; "
                             "push 'i'; getvar; push 20000; less2; if loop");
    const Bytes frame2 = Asm("push 't'; getvar; push 'mark'; get; trace");
    Place named(1, 3);
    named.name = "t";
    const Bytes file = Movie(field + DoAction(frame1) + ShowFrame() + PlaceObject2(named) + DoAction(frame2) + ShowFrame());
    auto movie = swf::Movie::Load(file.data(), file.size(), nullptr, swf::kMaxMovieBytes);
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    std::string trace;
    player.SetTraceOutput([&trace](const std::string& line) { trace += line; });
    player.Advance();
    player.Advance();
    EXPECT_EQ("kept", trace);
}
