// Plays a movie's timelines: the display list by depth of the root and of every placed
// sprite, frame stepping, and the movie's ActionScript in the order the frames ask for it.
#pragma once

#include "swf/base/Budget.h"
#include "swf/format/Movie.h"
#include "swf/player/Scripts.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

namespace swf {

namespace avm1 {
class Vm;
}  // namespace avm1

class Clip;

// A text field whose text a script set: the field as it now is, laid out.
struct ScriptField {
    Field field;
    Text text;
};

struct DisplayObject {
    DisplayObject() = default;
    DisplayObject(DisplayObject&&) = default;
    DisplayObject& operator=(DisplayObject&&) = default;
    ~DisplayObject();

    uint16_t characterId = 0;
    Matrix matrix;
    CxForm cxform;
    uint16_t ratio = 0;
    int clipDepth = 0;            // > 0: a mask for the depths up to this one
    bool cacheAsBitmap = false;   // drawn as a bitmap: placed on whole pixels
    bool hasOpaqueBackground = false;  // its box is filled with opaqueBackground under it
    Rgba opaqueBackground;
    std::unique_ptr<Clip> clip;   // the sprite's own timeline, for sprites

    // What scripts see and change.
    std::string name;                                   // instance name
    int depth = 0;
    bool visible = true;
    bool placedByScript = false;                        // the timeline leaves it alone
    Clip* parent = nullptr;                             // the timeline it is on
    const std::vector<ClipAction>* clipActions = nullptr;
    ScriptObject* script = nullptr;                     // its script object, once it has one
    ScriptObject* mask = nullptr;                       // the clip that masks it (setMask)
    bool isMask = false;                                // masks another: not drawn itself
    std::unique_ptr<ScriptField> field;                 // a text field's text as a script set it
    bool hasScrollRect = false;                         // shows only this part of itself (scrollRect)
    Rect scrollRect;                                    // twips, in its own coordinates
};

// One timeline being played: the root or a placed sprite.
class Clip {
public:
    Clip(const Timeline& timeline, DisplayObject& holder) : m_timeline(&timeline), m_pHolder(&holder) {}
    const std::map<int, DisplayObject>& DisplayList() const { return m_list; }
    int CurrentFrame() const { return m_nFrame; }  // 0-based; -1 before the first
    bool IsPlaying() const { return m_bPlaying; }
    int FrameCount() const { return static_cast<int>(m_timeline->frames.size()); }
    // Shapes drawn by the script's drawing methods, under the display list.
    const Shape* Drawing() const { return m_pDrawing.get(); }
    // An image a script loaded into the clip or a BitmapData it attached, drawn at the clip's
    // origin under the drawing; or null.
    const Bitmap* Image() const { return m_pImage.get(); }
    DisplayObject* Holder() const { return m_pHolder; }  // the display object showing it
    const Timeline& GetTimeline() const { return *m_timeline; }

    // What scripts change.
    void SetPlaying(bool playing) { m_bPlaying = playing; }
    // Moves the object at depth `from` to `to`, and the one at `to`, if any, to `from`; the
    // timeline leaves both alone from then on.
    void SwapDepths(int from, int to);
    // The first child, by depth, of this instance name, compared with case or without as the
    // movie's version wants. Children are found through an index of their names, made again
    // after children came, went, moved or were renamed; `visited` tells how many children
    // making it went through (0 when the index was ready).
    DisplayObject* ChildNamed(const std::string& name, bool caseSensitive, std::size_t& visited);
    // Children moved or were renamed: the index of names is made again when next asked.
    void NamesChanged() { m_bNamesIndexed = false; }
    // A child came or is about to go: the index follows it without being made again, unless
    // the child going was the one its name stood for.
    void NameAdded(DisplayObject& child);
    void NameRemoved(const DisplayObject& child);
    // Where the drawing methods' pen is (twips), where its fill began, and its styles (-1: none).
    struct Pen {
        double x = 0, y = 0, startX = 0, startY = 0;
        int fill = -1, line = -1;
        long closer = -1;  // the edge that closes the open fill back to its start, while it is the last
    };
    // The drawing methods' shapes, made on first use, and their pen.
    Shape& EditDrawing();
    Pen& DrawingPen() { return m_pen; }
    void ClearDrawing() { m_pDrawing.reset(); }
    void ShowImage(std::shared_ptr<Bitmap> image) { m_pImage = std::move(image); }
    // Whether the clip is the only holder of its image (a BitmapData shares its pixels with
    // the clips that show them).
    bool HoldsImageAlone() const { return m_pImage.use_count() == 1; }

private:
    friend class Player;
    const Timeline* m_timeline;
    DisplayObject* m_pHolder;
    std::map<int, DisplayObject> m_list;
    std::unordered_map<std::string, DisplayObject*> m_names;  // see ChildNamed
    bool m_bNamesIndexed = false;
    bool m_bNamesCaseSensitive = false;
    std::string NameKey(std::string name) const;
    int m_nFrame = -1;
    bool m_bPlaying = true;
    bool m_bFresh = true;  // placed during this step: it starts stepping on the next
    std::unique_ptr<Shape> m_pDrawing;
    std::shared_ptr<Bitmap> m_pImage;
    Pen m_pen;
};

// Decodes the image file at `url` (as a script names it, relative to the movie) into at most
// `maxPixels` premultiplied pixels; false when there is none or it cannot be decoded.
using ImageLoader = std::function<bool(const std::string& url, std::size_t maxPixels, Bitmap& out)>;

class Player;
// Draws a clip's content (its own matrix and colour transform left out), or an image, over the
// pixels of `into` through `m` (twips to pixels) and `cx`: what a script's BitmapData.draw
// shows. Returns the work units the drawing took. The renderer makes one (MakeClipPainter).
using ClipPainter = std::function<std::size_t(const Player& player, const Clip* clip, const Bitmap* image,
                                              Bitmap& into, const Matrix& m, const CxForm& cx)>;

class Player {
public:
    // `makeScripts`: makes what runs the movie's scripts (swf/avm1/Scripts.h: ActionScript).
    // `loop`: the root starts again after its last frame instead of stopping there.
    // `frameUnits`: the work budget of each frame's timelines and scripts.
    Player(const Movie& movie, ScriptsFactory makeScripts, bool loop, std::size_t frameUnits = kFrameWorkUnits);
    ~Player();

    // Shows the next frame of every playing timeline and runs its scripts. Returns whether
    // what is shown changed. A frame whose timelines and scripts need more than the frame's
    // work budget is played only as far as the budget goes (OverBudget then says so); the
    // next frame starts afresh.
    bool Advance();
    bool OverBudget() const { return m_work.Spent(); }
    // A flag that, once set from another thread, ends the frame's work at once.
    void CancelWith(const std::atomic<bool>* cancel) { m_work.CancelWith(cancel); }
    void PaceWith(std::function<void()> pace) { m_work.PaceWith(std::move(pace)); }
    void Play() { RootClip().m_bPlaying = true; }
    void Stop() { RootClip().m_bPlaying = false; }
    // The root's frame, 1-based (0 before the first ShowFrame is shown).
    int CurrentFrame() const { return Root().m_nFrame + 1; }
    bool IsPlaying() const { return Root().m_bPlaying; }
    // Whether another Advance can change anything: a playing timeline with more than one
    // frame, or a script that runs every frame.
    bool IsAnimating() const;
    const Clip& Root() const { return *m_rootObject.clip; }
    // The clip a script set as the object's mask, while it is on the stage; or null.
    const DisplayObject* MaskOf(const DisplayObject& object) const;
    // The object's matrix on the stage: its own after those of the clips it is in.
    static Matrix StageMatrix(const DisplayObject& object);
    const Movie& GetMovie() const { return m_movie; }
    // Receives the text of the movie's trace() calls.
    void SetTraceOutput(std::function<void(const std::string&)> output);
    // Receives a line for each script abandoned by an error or a limit, naming the action where
    // it stopped and why ("script abandoned at ActionAdd2: a string grew too long").
    void SetDiagnosticOutput(std::function<void(const std::string&)> output);
    // Where scripts' loadClip finds image files; without one, nothing loads.
    void SetImageLoader(ImageLoader loader) { m_loadImage = std::move(loader); }
    // What scripts' BitmapData.draw draws with; without one, it draws nothing.
    void SetClipPainter(ClipPainter painter) { m_paintClip = std::move(painter); }
    const ClipPainter& GetClipPainter() const { return m_paintClip; }

    // What scripts do to the movie.
    DisplayObject& RootObject() { return m_rootObject; }
    // What is shown changed: the frame is drawn again.
    void MarkChanged() { m_bChanged = true; }
    // Takes `count` steps of `each` units from the frame's work; false when they do not fit.
    bool TakeWork(std::size_t count, std::size_t each) { return m_work.Take(count, each); }
    long FramesPlayed() const { return m_nFramesPlayed; }
    // The image file at `url` through the host's loader; false without one.
    bool LoadImage(const std::string& url, std::size_t maxPixels, Bitmap& out) const
    {
        return m_loadImage && m_loadImage(url, maxPixels, out);
    }
    // Moves a clip's timeline to a frame (0-based), running that frame's actions.
    void GotoFrame(Clip& clip, int frame) { GotoFrame(clip, frame, Nesting(clip)); }
    // Removes the object at a depth of the clip, with everything in it.
    void RemoveAt(Clip& clip, int depth);
    // An object with nothing to show yet, or a character, placed by a script at a free depth
    // of `clip`; the timeline leaves it alone. Null when the display list or the nesting is full.
    DisplayObject* PlaceEmpty(Clip& clip, int depth, const std::string& name);
    DisplayObject* PlaceCharacter(Clip& clip, int depth, uint16_t characterId, const std::string& name);
    // Gives an object placed empty a timeline of its own, with no frames.
    void StartEmptyClip(DisplayObject& object);

private:
    Clip& RootClip() { return *m_rootObject.clip; }
    void EnterFrame(Clip& clip, int frame, bool runActions, int nesting);
    void GotoFrame(Clip& clip, int frame, int nesting);
    DisplayObject* Place(Clip& clip, const PlaceCommand& p, int nesting);
    void StartClip(DisplayObject& o, int nesting);
    void StepChildren(Clip& clip, int nesting);
    void CollectEnterFrame(DisplayObject& o, std::vector<ScriptObject*>& out);
    void RunQueue();
    bool IsAnimating(const Clip& clip) const;
    int Nesting(const Clip& clip) const;
    // The object and everything below it, as counted against kMaxDisplayObjects.
    static std::size_t Tally(const DisplayObject& object);

    struct Queued {
        ScriptObject* clip;
        const uint8_t* code;  // null: construct the clip's registered class
        std::size_t size;
    };

    const Movie& m_movie;
    bool m_bLoop;
    WorkBudget m_work;
    std::unique_ptr<Scripts> m_scripts;  // outlives the display objects, which unlink from it
    DisplayObject m_rootObject;
    std::size_t m_nObjects = 0;
    bool m_bChanged = false;
    bool m_bHandlers = false;  // enterFrame handlers ran in the last step, or wait for the next
    std::deque<Queued> m_queue;
    std::deque<Queued> m_initQueue;
    std::set<uint16_t> m_initDone;
    std::map<int, DisplayObject>* m_pRecycle = nullptr;  // objects a rewinding goto may keep
    const Clip* m_pRecycleClip = nullptr;               // the clip they were on
    std::size_t m_nHeapAfterCollect = 0;
    std::size_t m_nHeapBytesAfterCollect = 0;
    long m_nFramesPlayed = 0;
    bool m_bScriptPlacing = false;  // a script places: it runs the clip's constructor itself
    Timeline m_emptyTimeline;  // of clips that scripts create empty
    ImageLoader m_loadImage;
    ClipPainter m_paintClip;
};

}  // namespace swf
