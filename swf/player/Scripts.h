// What the player asks of the scripts that play along with its timelines. The player knows
// them only through this face; the ActionScript room (swf/avm1) gives it one, made by the
// host's choice when the player is constructed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace swf {

class Player;
struct DisplayObject;

// The player's view of a display object's script object: the display object it stands for.
struct ScriptObject {
    DisplayObject* display = nullptr;  // null once the object left the stage
};

class Scripts {
public:
    virtual ~Scripts() = default;

    // Runs a block of actions (a frame's, a clip event's) on the timeline of `clip`.
    virtual void RunBlock(const uint8_t* code, std::size_t size, ScriptObject& clip) = 0;
    // Calls the object's handler of this name (an event handler) when it has one.
    virtual void CallHandler(ScriptObject& object, const char* name) = 0;
    // Whether the object has a handler of this name.
    virtual bool HasHandler(ScriptObject& object, const char* name) = 0;
    // The script object of a display object, made on first use.
    virtual ScriptObject& ObjectOf(DisplayObject& display) = 0;
    // Whether scripts registered a class for the sprite.
    virtual bool HasClass(uint16_t characterId) const = 0;
    // Runs the registered class's constructor on a clip that was just placed.
    virtual void ConstructClip(ScriptObject& clip) = 0;
    // Calls the timed functions that are due; false when there are none at all.
    virtual bool RunIntervals() = 0;
    // Frees the objects that nothing reaches any longer.
    virtual void Collect() = 0;
    // How many objects the scripts keep, and the bytes they hold with their strings.
    virtual std::size_t HeapSize() const = 0;
    virtual std::size_t HeapBytes() const = 0;
    // Receives the text of the movie's trace() calls.
    virtual void SetTraceOutput(std::function<void(const std::string&)> output) = 0;
    // Receives a line for each script abandoned by an error or a limit.
    virtual void SetDiagnosticOutput(std::function<void(const std::string&)> output) = 0;
};

// Makes the scripts of a player, as it is being constructed (its display list still empty).
using ScriptsFactory = std::unique_ptr<Scripts> (*)(Player& player);

}  // namespace swf
