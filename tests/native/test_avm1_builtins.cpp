// The built-in objects of ActionScript 1/2 as scripts see them: Object, Function, Array, String,
// Number, Boolean, Math, the global functions, and intervals as movie time passes. The expected
// results are those the language reference gives for a movie of Flash Player 8.
#include "tests/native/Avm1Script.h"

using namespace swftest;

TEST(Avm1Object, OwnPropertiesPrototypesAndConversions)
{
    ExpectTraces({
        {"o = {a: 1}; trace(o.hasOwnProperty('a')); trace(o.hasOwnProperty('toString')); trace(o.b)",
         "true\nfalse\nundefined"},
        {"trace({}.toString()); trace(typeof {}); trace(typeof function () {})", "[object Object]\nobject\nfunction"},
        {"P = function () { this.k = 3 }; P.prototype.hi = 'hello'; o = new P(); "
         "trace(o.k); trace(o.hi); trace(o.hasOwnProperty('hi')); trace(o.__proto__ == P.prototype)",
         "3\nhello\nfalse\ntrue"},
        {"trace(Object.prototype.isPrototypeOf({})); trace({}.isPrototypeOf(Object.prototype))", "true\nfalse"},
        {"o = {}; o.valueOf = function () { return 41 }; o.toString = function () { return 'me' }; "
         "trace(o + 1); trace('<' + o.toString() + '>')",
         "42\n<me>"},
        {"o = {}; trace(o.addProperty('p', function () { return this.v * 2 }, function (x) { this.v = x })); "
         "o.p = 5; trace(o.v); trace(o.p)",
         "true\n5\n10"},
    });
}

TEST(Avm1Function, CallAndApplyGiveThisAndArguments)
{
    ExpectTraces({
        {"f = function (a, b) { return this.x + a + b }; o = {x: 1}; trace(f.call(o, 2, 3)); "
         "trace(f.apply(o, [2, 3])); trace(f.call({x: 'x'}, 2, 3))",
         "6\n6\nx23"},
        {"g = function () { return arguments.length }; trace(g.apply(null)); trace(g(1, 2, 3)); "
         "trace(g.call(null, 1))",
         "0\n3\n1"},
    });
}

TEST(Avm1Array, SortOptionsOrderAsDocumented)
{
    const std::string poets = "a = ['Blake', 'cummings', 'Angelou', 'Dante']; ";
    const std::string numbers = "a = [10, 9, 100, 1]; ";
    ExpectTraces({
        {poets + "a.sort(); trace(a)", "Angelou,Blake,Dante,cummings"},
        {poets + "a.sort(Array.CASEINSENSITIVE); trace(a)", "Angelou,Blake,cummings,Dante"},
        {poets + "a.sort(Array.DESCENDING); trace(a)", "cummings,Dante,Blake,Angelou"},
        {poets + "a.sort(Array.DESCENDING | Array.CASEINSENSITIVE); trace(a)", "Dante,cummings,Blake,Angelou"},
        {numbers + "a.sort(); trace(a)", "1,10,100,9"},
        {numbers + "a.sort(Array.NUMERIC); trace(a)", "1,9,10,100"},
        {numbers + "a.sort(Array.NUMERIC | Array.DESCENDING); trace(a)", "100,10,9,1"},
        {numbers + "a.sort(function (x, y) { return x - y }); trace(a)", "1,9,10,100"},
        {numbers + "a.sort(function (x, y) { return y - x }); trace(a)", "100,10,9,1"},
        {numbers + "a.sort(function (x, y) { return x - y }, Array.DESCENDING); trace(a)", "100,10,9,1"},
        {"trace(Array.CASEINSENSITIVE + Array.DESCENDING + Array.UNIQUESORT + Array.RETURNINDEXEDARRAY); "
         "trace(Array.NUMERIC)",
         "15\n16"},
    });
}

TEST(Avm1Array, SpliceTakesEveryFormOfArguments)
{
    const struct {
        const char* call;
        const char* removed;
        const char* left;
    } cases[] = {
        {"a.splice(1, 2)", "2,3", "1,4,5"},
        {"a.splice(-2)", "4,5", "1,2,3"},
        {"a.splice(2)", "3,4,5", "1,2"},
        {"a.splice(1, 0, 'x', 'y')", "", "1,x,y,2,3,4,5"},
        {"a.splice(-3, 1, 'z')", "3", "1,2,z,4,5"},
        {"a.splice(1, 2, 'q')", "2,3", "1,q,4,5"},
        {"a.splice(10, 1, 'e')", "", "1,2,3,4,5,e"},
        {"a.splice(-10, 1)", "1", "2,3,4,5"},
        {"a.splice(0, 0)", "", "1,2,3,4,5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(c.removed) + "\n" + c.left,
                  TraceOf(std::string("a = [1, 2, 3, 4, 5]; r = ") + c.call + "; trace(r); trace(a)"))
            << c.call;
    EXPECT_EQ("0\ntrue", TraceOf("r = [1].splice(0, 0); trace(r.length); trace(r.__proto__ == Array.prototype)"));
}

TEST(Avm1Array, MethodsReturnWhatTheReferenceSays)
{
    ExpectTraces({
        {"a = [1, 2, 3, 4, 5]; trace(a.slice(1, 3)); trace(a.slice(-2)); trace(a.slice(2)); "
         "trace(a.slice(-3, -1)); trace(a.slice(3, 1).length); trace(a)",
         "2,3\n4,5\n3,4,5\n3,4\n0\n1,2,3,4,5"},
        {"a = [1, 2]; b = a.concat(3, [4, [5, 6]]); trace(b.length); trace(b); trace(a); trace(b[4].length)",
         "5\n1,2,3,4,5,6\n1,2\n2"},
        {"trace([1, 2, 3].join()); trace([1, 2, 3].join(' - ')); trace([1, [2, 3]].join(';')); "
         "trace([1, 'a', true])",
         "1,2,3\n1 - 2 - 3\n1;2,3\n1,a,true"},
        {"a = [1, 2, 3]; a.reverse(); trace(a)", "3,2,1"},
        {"a = [1, 2, 3]; trace(a.shift()); trace(a); trace(a.unshift(0, 'x')); trace(a); trace([].shift())",
         "1\n2,3\n4\n0,x,2,3\nundefined"},
        {"a = [1]; trace(a.push('p', 'q')); trace(a); trace(a.pop()); trace(a); trace([].pop())",
         "3\n1,p,q\nq\n1,p\nundefined"},
        {"a = [1, 2, 3]; a.length = 1; trace(a); a[4] = 'e'; trace(a.length); trace(a[2])", "1\n5\nundefined"},
        {"trace(new Array(3).length); trace(new Array(1, 2)); trace(new Array().length)", "3\n1,2\n0"},
    });
}

TEST(Avm1String, SearchingCuttingAndSplitting)
{
    ExpectTraces({
        {"s = 'abcabc'; trace(s.indexOf('b')); trace(s.indexOf('b', 2)); trace(s.indexOf('x')); "
         "trace(s.lastIndexOf('b')); trace(s.lastIndexOf('b', 3)); trace(s.lastIndexOf('c', 2))",
         "1\n4\n-1\n4\n1\n2"},
        {"s = 'abcdef'; trace(s.substr(2)); trace(s.substr(1, 3)); trace(s.substr(-2)); trace(s.substr(-3, 2))",
         "cdef\nbcd\nef\nde"},
        {"s = 'abcdef'; trace(s.substring(1, 3)); trace(s.substring(3, 1)); trace(s.substring(-1, 2)); "
         "trace(s.substring(4))",
         "bc\nbc\nab\nef"},
        {"s = 'abcdef'; trace(s.slice(1, 3)); trace(s.slice(-2)); trace(s.slice(-3, -1)); "
         "trace(s.slice(3, 1).length); trace(s.slice(2))",
         "bc\nef\nde\n0\ncdef"},
        {"trace('a,b,c'.split(',').join('|')); "
         "trace('abc'.split('').join('|')); trace('a,,b'.split(',').length); trace('abc'.split().length); "
         "trace('abc'.split('x')[0])",
         "a|b|c\na|b|c\n3\n1\nabc"},
        {"s = 'abc'; trace(s.charAt(1)); trace(s.charAt(10).length); trace(s.charCodeAt(0)); "
         "trace(s.charCodeAt(10)); trace(String.fromCharCode(72, 105))",
         "b\n0\n97\nNaN\nHi"},
        {"trace('aBc1'.toUpperCase()); trace('aBc1'.toLowerCase()); trace('a'.concat('b', 1))",
         "ABC1\nabc1\nab1"},
        {"trace(String(12)); trace(String(undefined)); trace(typeof new String('x')); trace(new String('xy').length)",
         "12\nundefined\nobject\n2"},
    });
}

TEST(Avm1Number, ConversionsAndRadixes)
{
    ExpectTraces({
        {"trace((255).toString(16)); trace((255).toString(2)); trace((-255).toString(16)); trace((10).toString())",
         "ff\n11111111\n-ff\n10"},
        {"trace(Number('12')); trace(Number('0x1F')); trace(Number('abc')); trace(Number(true)); "
         "trace(Number(undefined)); trace(Number('-1.5'))",
         "12\n31\nNaN\n1\nNaN\n-1.5"},
        {"trace(5 / 0); trace(-5 / 0); trace(0 / 0); trace(Number.MAX_VALUE > 1e308)",
         "Infinity\n-Infinity\nNaN\ntrue"},
        {"n = new Number(7); trace(typeof n); trace(n + 1); trace(n.toString())", "object\n8\n7"},
    });
}

TEST(Avm1Boolean, ConversionsFollowTheVersion7Rules)
{
    ExpectTraces({
        {"trace(Boolean('')); trace(Boolean('false')); trace(Boolean('0')); trace(Boolean(0)); trace(Boolean(0 / 0))",
         "false\ntrue\ntrue\nfalse\nfalse"},
        {"trace(Boolean(undefined)); trace(Boolean(null)); trace(Boolean({})); trace(Boolean(-1))",
         "false\nfalse\ntrue\ntrue"},
        {"trace(true.toString()); trace(new Boolean(false).toString()); trace(typeof new Boolean(true)); "
         "trace(true + 1)",
         "true\nfalse\nobject\n2"},
    });
}

TEST(Avm1Math, RoundingAndFunctions)
{
    ExpectTraces({
        {"trace(Math.round(2.5)); trace(Math.round(-2.5)); trace(Math.round(2.4)); trace(Math.round(-2.6)); "
         "trace(Math.round(-0.5))",
         "3\n-2\n2\n-3\n0"},
        {"trace(Math.floor(-1.5)); trace(Math.ceil(-1.5)); trace(Math.floor(1.5)); trace(Math.ceil(1.2))",
         "-2\n-1\n1\n2"},
        {"trace(Math.abs(-3)); trace(Math.max(2, 7)); trace(Math.min(2, -7)); trace(Math.pow(2, 10)); "
         "trace(Math.sqrt(16)); trace(Math.sqrt(-1))",
         "3\n7\n-7\n1024\n4\nNaN"},
        {"trace(Math.sin(0)); trace(Math.cos(0)); trace(Math.exp(0)); trace(Math.log(1)); "
         "trace(Math.round(Math.atan2(1, 1) * 4 * 1000)); trace(Math.round(Math.PI * 1000)); "
         "trace(Math.floor(Math.random()))",
         "0\n1\n1\n0\n3142\n3142\n0"},
    });
}

TEST(Avm1Globals, ParsingTestingAndEscaping)
{
    ExpectTraces({
        {"trace(parseInt('42px')); trace(parseInt('0x1A')); trace(parseInt('ff', 16)); trace(parseInt('1010', 2)); "
         "trace(parseInt('abc')); trace(parseInt('-12.9')); trace(parseInt('z', 36))",
         "42\n26\n255\n10\nNaN\n-12\n35"},
        {"trace(parseFloat('3.5abc')); trace(parseFloat('abc')); trace(parseFloat('-0.5')); trace(parseFloat('1e3'))",
         "3.5\nNaN\n-0.5\n1000"},
        {"trace(isNaN('abc')); trace(isNaN('12')); trace(isNaN(undefined)); trace(isFinite(1 / 0)); "
         "trace(isFinite(5))",
         "true\nfalse\ntrue\nfalse\ntrue"},
        {"trace(escape('Hello{[World]}')); trace(escape('a b&c=d')); trace(unescape('Hello%7B%5BWorld%5D%7D')); "
         "trace(unescape('%41%20b'))",
         "Hello%7B%5BWorld%5D%7D\na%20b%26c%3Dd\nHello{[World]}\nA b"},
    });
}

// Intervals run as movie time passes: at 12 frames a second a frame is 83.3 ms, and an interval
// set on frame 1 is first due its period after that frame's time.
TEST(Avm1Interval, IntervalsAndTimeoutsFireAsMovieTimePasses)
{
    const struct {
        const char* script;
        int frames;
        const char* timed;  // "frame:line"
    } cases[] = {
        {"trace('set'); n = 0; id = setInterval(function () { n = n + 1; trace('tick ' + n); "
         "if (n == 3) clearInterval(id) }, 200)",
         12, "1:set 4:tick 1 6:tick 2 9:tick 3"},
        {"setTimeout(function (a, b) { trace(a + b) }, 300, 'x', 'y')", 8, "5:xy"},
        {"n = 0; setInterval(function () { n = n + 1; trace(n) }, 40)", 4, "2:1 2:2 3:3 3:4 4:5 4:6"},
        {"o = {name: 'o', tick: function (s) { trace(this.name + s); clearInterval(id) }}; "
         "id = setInterval(o, 'tick', 100, '!')",
         6, "3:o!"},
        {"setInterval(function () { trace('a') }, 150); setInterval(function () { trace('b') }, 400)", 8,
         "3:a 5:a 6:b 7:a"},
        {"id = setInterval(function () { trace('no') }, 100); clearInterval(id); "
         "t = setTimeout(function () { trace('no') }, 100); clearTimeout(t); "
         "f = function () {}; trace(setInterval(f, 1000) != setInterval(f, 1000))",
         4, "1:true"},
    };
    for (const auto& c : cases) {
        Bytes tags = DoAction(Script(c.script)) + ShowFrame();
        for (int f = 1; f < c.frames; ++f)
            tags = tags + ShowFrame();
        EXPECT_EQ(c.timed, RunMovie(tags, c.frames).Timed()) << c.script;
    }
}

// Only the call that new makes is a construction: a String, Number, Boolean or Object called
// while another constructor runs (here from a valueOf that Number's conversion calls) gives
// its primitive or a new object, as any plain call does.
TEST(Avm1Constructors, OnlyTheCallThatNewMakesConstructs)
{
    ExpectTraces({
        {"s = new String('ab'); trace(typeof s); trace(s.length); trace(typeof String('ab'))", "object\n2\nstring"},
        {"o = {}; o.S = String; trace(typeof o.S(1)); o.N = Number; trace(typeof o.N(1)); trace(typeof o)",
         "string\nnumber\nobject"},
        {"v = {valueOf: function () { o = {}; o.S = String; o.B = Boolean; trace(typeof o.S(1)); "
         "trace(typeof o.B(1)); return 2 }}; n = new Number(v); trace(n + 1)",
         "string\nboolean\n3"},
        {"v = {valueOf: function () { o = {k: 1}; o.O = Object; r = o.O(); trace(r == o); return 2 }}; "
         "n = new Number(v); trace(n * 2)",
         "false\n4"},
        {"o = new Object(); o.k = 1; trace(o.k); trace(typeof Object())", "1\nobject"},
    });
}
