#include "swf/SwfPlayer.h"

namespace swf {

Player::Player(const Movie& movie, bool loop, std::size_t frameUnits)
    : m_movie(movie), m_bLoop(loop), m_root(movie.root), m_work(frameUnits)
{
    m_root.m_bFresh = false;
}

bool Player::Advance()
{
    m_bChanged = false;
    m_nActionsLeft = kMaxActionsPerFrame;
    m_work.Reset();
    if (m_root.m_bPlaying && m_root.FrameCount() > 0) {
        if (m_root.m_nFrame + 1 < m_root.FrameCount())
            EnterFrame(m_root, m_root.m_nFrame + 1, true, 0);
        else if (m_bLoop && m_root.FrameCount() > 1)
            GotoFrame(m_root, 0, 0);
        else
            m_root.m_bPlaying = false;
    }
    StepChildren(m_root, 0);
    return m_bChanged;
}

void Player::StepChildren(Clip& clip, int nesting)
{
    for (auto& [depth, object] : clip.m_list) {
        Clip* child = object.clip.get();
        if (!child)
            continue;
        if (!m_work.Take(1, kCostCommand))
            return;
        // Sprites loop. One placed during the last step shows its first frame once more; the
        // clips inside it are stepped by the same rule.
        if (child->m_bFresh) {
            child->m_bFresh = false;
        } else if (child->m_bPlaying && child->FrameCount() > 1) {
            if (child->m_nFrame + 1 < child->FrameCount())
                EnterFrame(*child, child->m_nFrame + 1, true, nesting + 1);
            else
                GotoFrame(*child, 0, nesting + 1);
        }
        StepChildren(*child, nesting + 1);
    }
}

void Player::EnterFrame(Clip& clip, int frame, bool runActions, int nesting)
{
    clip.m_nFrame = frame;
    for (const Command& c : clip.m_timeline->frames[frame]) {
        if (!m_work.Take(1, kCostCommand))
            return;
        if (c.kind == Command::kPlace) {
            Place(clip, c.place, nesting);
        } else if (c.kind == Command::kRemove) {
            auto it = clip.m_list.find(c.place.depth);
            if (it != clip.m_list.end()) {
                const std::size_t removed = Tally(it->second);
                m_work.Take(removed, kCostCommand);
                m_nObjects -= removed;
                clip.m_list.erase(it);
                m_bChanged = true;
            }
        }
    }
    // Actions run once the frame's display list is complete.
    if (runActions)
        for (const Command& c : clip.m_timeline->frames[frame])
            if (c.kind == Command::kActions)
                RunActions(clip, c.actions, nesting);
}

void Player::GotoFrame(Clip& clip, int frame, int nesting)
{
    if (frame < 0 || frame >= clip.FrameCount() || frame == clip.m_nFrame)
        return;
    // Going back rebuilds the display list from the first frame. The frames passed on the way
    // and the target itself run no actions, so a goto cannot start another.
    if (frame < clip.m_nFrame) {
        for (const auto& [depth, object] : clip.m_list)
            m_nObjects -= Tally(object);
        clip.m_list.clear();
        clip.m_nFrame = -1;
        m_bChanged = true;
    }
    for (int f = clip.m_nFrame + 1; f <= frame && !m_work.Spent(); ++f)
        EnterFrame(clip, f, false, nesting);
}

void Player::Place(Clip& clip, const PlaceCommand& p, int nesting)
{
    auto it = clip.m_list.find(p.depth);
    if (p.move) {
        if (it == clip.m_list.end())
            return;
    } else if (it != clip.m_list.end() || !p.hasCharacter) {
        return;  // a depth holds one object; placing onto it needs the move flag
    }
    if (it == clip.m_list.end()) {
        if (m_nObjects >= kMaxDisplayObjects)
            return;
        ++m_nObjects;
        it = clip.m_list.emplace(p.depth, DisplayObject{}).first;
    }
    DisplayObject& o = it->second;
    if (p.hasCharacter && (o.characterId != p.characterId || !p.move)) {
        o.characterId = p.characterId;
        m_nObjects -= Tally(o) - 1;
        o.clip.reset();
        auto kind = m_movie.kinds.find(p.characterId);
        if (kind != m_movie.kinds.end() && kind->second == CharacterKind::kSprite && nesting < kMaxSpriteNesting &&
            m_work.Take(1, kCostObject)) {
            o.clip = std::make_unique<Clip>(m_movie.sprites.at(p.characterId).timeline);
            if (o.clip->FrameCount() > 0)
                EnterFrame(*o.clip, 0, true, nesting + 1);
        }
    }
    if (p.hasMatrix)
        o.matrix = p.matrix;
    if (p.hasCxForm)
        o.cxform = p.cxform;
    if (p.hasRatio)
        o.ratio = p.ratio;
    if (p.hasClipDepth)
        o.clipDepth = p.clipDepth;
    m_bChanged = true;
}

void Player::RunActions(Clip& clip, const std::vector<Action>& actions, int nesting)
{
    for (const Action& a : actions) {
        if (m_nActionsLeft-- <= 0)
            return;
        switch (a.op) {
        case Action::kStop:
            clip.m_bPlaying = false;
            break;
        case Action::kPlay:
            clip.m_bPlaying = true;
            break;
        case Action::kGotoFrame:
            GotoFrame(clip, a.frame, nesting);
            break;
        case Action::kGotoLabel: {
            auto it = clip.m_timeline->labels.find(a.label);
            if (it != clip.m_timeline->labels.end())
                GotoFrame(clip, it->second, nesting);
            break;
        }
        case Action::kNextFrame:
            GotoFrame(clip, clip.m_nFrame + 1, nesting);
            clip.m_bPlaying = false;
            break;
        case Action::kPrevFrame:
            GotoFrame(clip, clip.m_nFrame - 1, nesting);
            clip.m_bPlaying = false;
            break;
        }
    }
}

std::size_t Player::Tally(const DisplayObject& object)
{
    std::size_t n = 1;
    if (object.clip)
        for (const auto& [depth, child] : object.clip->m_list)
            n += Tally(child);
    return n;
}

bool Player::IsAnimating(const Clip& clip) const
{
    for (const auto& [depth, object] : clip.m_list)
        if (object.clip && ((object.clip->m_bPlaying && object.clip->FrameCount() > 1) || IsAnimating(*object.clip)))
            return true;
    return false;
}

bool Player::IsAnimating() const
{
    const bool rootMoves = m_root.m_bPlaying && (m_root.m_nFrame + 1 < m_root.FrameCount() ||
                                                 (m_bLoop && m_root.FrameCount() > 1) || m_root.m_nFrame < 0);
    return rootMoves || IsAnimating(m_root);
}

}  // namespace swf
