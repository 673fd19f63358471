// How the built-in objects are written: each built-in is a function of one call (the
// interpreter, the function object, `this`, the arguments and whether new called it), and each
// family lists its methods in a table that one loop installs.
#pragma once

#include "swf/avm1/Interpreter.h"
#include "swf/format/Movie.h"

#include <span>
#include <string>
#include <vector>

namespace swf::avm1 {

// One call of a built-in.
struct NativeCall {
    Vm& vm;
    Object& callee;                 // the function object called
    const Value& self;              // `this`: undefined for a plain call
    const std::vector<Value>& args;
    bool constructing = false;      // called by new: `self` is the object being made

    // The argument at `i`; undefined past the last.
    Value Arg(std::size_t i) const { return i < args.size() ? args[i] : Value{}; }
};

// A row of a family's table: the method `fn` under `name`, taking `length` arguments.
struct NativeMethod {
    const char* name;
    NativeFn fn;
    int length;
};

// Installs the methods on `o` in the table's order, hidden from enumeration.
void DefineMethods(Vm& vm, Object& o, std::span<const NativeMethod> methods);

// A constructor and the prototype of the objects it makes (a new one when none is given),
// each naming the other.
struct NativeClass {
    Object& ctor;
    Object& proto;
};
NativeClass NewClass(Vm& vm, NativeFn ctor, int length, Object* proto = nullptr);

// Helpers the families share.
Value Nothing(NativeCall& call);  // a method that does nothing
// The primitive of a String, Number or Boolean wrapper, or the value itself.
Value Primitive(const Value& v);
// What String, Number and Boolean give: called by new, the new object becomes the primitive's
// wrapper; called as functions, the primitive itself.
Value WrapWhenConstructed(NativeCall& call, Kind kind, const Value& primitive);
Object* ArrayOf(const Value& v);  // the array `v` refers to, or null
// An index argument of slice, splice and indexOf: negative counts from the end; `fallback`
// when undefined.
std::size_t ClampIndex(Vm& vm, const Value& v, std::size_t size, std::size_t fallback);
// A script's pixels as twips, within a million pixels either way; 0 for NaN.
double PixelsToTwips(double pixels);
// `this` when it is a clip on the stage, else the timeline the script acts on (which may have
// left the stage).
Object* ClipOrTarget(NativeCall& call);
// The same, null when it left the stage: the clip a MovieClip method works on.
Object* ThisClip(NativeCall& call);

// A MovieClip method of the TextField family.
Value MovieClipCreateTextField(NativeCall& call);
// What a field whose text a script sets takes from its new text format (setNewTextFormat).
void TakeNewFormat(Field& field);
// The styles of a TextField.StyleSheet as a field reads its HTML with them; none for anything else.
std::vector<TextCss> ReadStyleSheet(Vm& vm, const Value& sheet);

// The families, each installed by its own file.
void InstallObject(Vm& vm);  // Object and Function
void InstallArray(Vm& vm);
void InstallString(Vm& vm);
void InstallNumberAndBoolean(Vm& vm);
void InstallMath(Vm& vm);
void InstallGlobals(Vm& vm);  // global functions, intervals, inert objects, flash.geom
void InstallMovieClip(Vm& vm);  // MovieClip, with the TextField class
void InstallTextField(Vm& vm);  // with TextFormat and TextField.StyleSheet
void InstallStyleSheet(Vm& vm, Object& textField);
void InstallColor(Vm& vm);
void InstallMovieClipLoader(Vm& vm);
void InstallDrawing(Vm& vm);  // MovieClip's drawing methods and flash.geom.Matrix
void InstallBitmapData(Vm& vm);  // with ColorTransform and ColorMatrixFilter

}  // namespace swf::avm1
