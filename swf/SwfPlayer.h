// Plays a movie's timelines: the display list by depth of the root and of every placed
// sprite, frame stepping and the timeline actions.
#pragma once

#include "swf/SwfBudget.h"
#include "swf/SwfMovie.h"

#include <cstdint>
#include <map>
#include <memory>

namespace swf {

class Clip;

struct DisplayObject {
    uint16_t characterId = 0;
    Matrix matrix;
    CxForm cxform;
    uint16_t ratio = 0;
    int clipDepth = 0;            // > 0: a mask for the depths up to this one
    std::unique_ptr<Clip> clip;   // the sprite's own timeline, for sprites
};

// One timeline being played: the root or a placed sprite.
class Clip {
public:
    explicit Clip(const Timeline& timeline) : m_timeline(&timeline) {}
    const std::map<int, DisplayObject>& DisplayList() const { return m_list; }
    int CurrentFrame() const { return m_nFrame; }  // 0-based; -1 before the first
    bool IsPlaying() const { return m_bPlaying; }
    int FrameCount() const { return static_cast<int>(m_timeline->frames.size()); }

private:
    friend class Player;
    const Timeline* m_timeline;
    std::map<int, DisplayObject> m_list;
    int m_nFrame = -1;
    bool m_bPlaying = true;
    bool m_bFresh = true;  // placed during this step: it starts stepping on the next
};

class Player {
public:
    // `loop`: the root starts again after its last frame instead of stopping there.
    // `frameUnits`: the work budget of each frame's timelines.
    Player(const Movie& movie, bool loop, std::size_t frameUnits = kFrameWorkUnits);

    // Shows the next frame of every playing timeline. Returns whether what is shown changed.
    // A frame whose timelines need more than the frame's work budget is played only as far
    // as the budget goes (OverBudget then says so); the next frame starts afresh.
    bool Advance();
    bool OverBudget() const { return m_work.Spent(); }
    // A flag that, once set from another thread, ends the frame's work at once.
    void CancelWith(const std::atomic<bool>* cancel) { m_work.CancelWith(cancel); }
    void Play() { m_root.m_bPlaying = true; }
    void Stop() { m_root.m_bPlaying = false; }
    // The root's frame, 1-based (0 before the first ShowFrame is shown).
    int CurrentFrame() const { return m_root.m_nFrame + 1; }
    bool IsPlaying() const { return m_root.m_bPlaying; }
    // Whether another Advance can change anything: a playing timeline with more than one frame.
    bool IsAnimating() const;
    const Clip& Root() const { return m_root; }
    const Movie& GetMovie() const { return m_movie; }

private:
    void EnterFrame(Clip& clip, int frame, bool runActions, int nesting);
    void GotoFrame(Clip& clip, int frame, int nesting);
    void Place(Clip& clip, const PlaceCommand& p, int nesting);
    void RunActions(Clip& clip, const std::vector<Action>& actions, int nesting);
    void StepChildren(Clip& clip, int nesting);
    bool IsAnimating(const Clip& clip) const;
    // The object and everything below it, as counted against kMaxDisplayObjects.
    static std::size_t Tally(const DisplayObject& object);

    const Movie& m_movie;
    bool m_bLoop;
    Clip m_root;
    std::size_t m_nObjects = 0;
    int m_nActionsLeft = 0;
    WorkBudget m_work;
    bool m_bChanged = false;
};

}  // namespace swf
