#include "swf/player/Player.h"

namespace swf {

DisplayObject::~DisplayObject()
{
    if (script && script->display == this)
        script->display = nullptr;
}

Player::Player(const Movie& movie, ScriptsFactory makeScripts, bool loop, std::size_t frameUnits)
    : m_movie(movie), m_bLoop(loop), m_work(SIZE_MAX), m_scripts(makeScripts(*this))
{
    // Making the scripts' built-in objects is no frame's work; the frames' budget starts now.
    m_work = WorkBudget(frameUnits);
    m_rootObject.clip = std::make_unique<Clip>(movie.root, m_rootObject);
    RootClip().m_bFresh = false;
}

Player::~Player() = default;

void Player::SetTraceOutput(std::function<void(const std::string&)> output)
{
    m_scripts->SetTraceOutput(std::move(output));
}

void Player::SetDiagnosticOutput(std::function<void(const std::string&)> output)
{
    m_scripts->SetDiagnosticOutput(std::move(output));
}

bool Player::Advance()
{
    m_bChanged = false;
    ++m_nFramesPlayed;
    m_work.Reset();
    // Clips already shown hear enterFrame before the timelines move.
    std::vector<ScriptObject*> handlers;
    CollectEnterFrame(m_rootObject, handlers);
    m_bHandlers = !handlers.empty();
    for (ScriptObject* o : handlers) {
        if (o->display && o->display->clipActions)
            for (const ClipAction& a : *o->display->clipActions)
                if ((a.events & kEventEnterFrame) && o->display)
                    m_scripts->RunBlock(a.code.data(), a.code.size(), *o);
        if (o->display)
            m_scripts->CallHandler(*o, "onEnterFrame");
        m_bChanged = true;
    }
    if (m_scripts->RunIntervals())
        m_bHandlers = m_bChanged = true;
    Clip& root = RootClip();
    if (root.m_bPlaying && root.FrameCount() > 0) {
        if (root.m_nFrame + 1 < root.FrameCount())
            EnterFrame(root, root.m_nFrame + 1, true, 0);
        else if (m_bLoop && root.FrameCount() > 1)
            GotoFrame(root, 0, 0);
        else
            root.m_bPlaying = false;
    }
    StepChildren(root, 0);
    RunQueue();
    // A handler the frame's scripts set keeps the movie ticking, even when it has one frame.
    if (!m_bHandlers) {
        handlers.clear();
        CollectEnterFrame(m_rootObject, handlers);
        m_bHandlers = !handlers.empty();
    }
    // Collected once the objects doubled, or the bytes they hold (long strings that few
    // objects keep) grew by half or by a megabyte.
    if (m_scripts->HeapSize() > 2 * m_nHeapAfterCollect + 4096 ||
        m_scripts->HeapBytes() > m_nHeapBytesAfterCollect + std::max<std::size_t>(1u << 20, m_nHeapBytesAfterCollect / 2)) {
        m_scripts->Collect();
        m_nHeapAfterCollect = m_scripts->HeapSize();
        m_nHeapBytesAfterCollect = m_scripts->HeapBytes();
    }
    return m_bChanged;
}

void Player::CollectEnterFrame(DisplayObject& o, std::vector<ScriptObject*>& out)
{
    if (!o.clip)
        return;
    bool listens = o.script && m_scripts->HasHandler(*o.script, "onEnterFrame");
    if (o.clipActions)
        for (const ClipAction& a : *o.clipActions)
            listens = listens || (a.events & kEventEnterFrame);
    if (listens)
        out.push_back(&m_scripts->ObjectOf(o));
    for (auto& [depth, child] : o.clip->m_list)
        CollectEnterFrame(child, out);
}

void Player::RunQueue()
{
    while (!m_initQueue.empty() || !m_queue.empty()) {
        if (m_work.Spent()) {
            m_initQueue.clear();
            m_queue.clear();
            break;
        }
        std::deque<Queued>& queue = m_initQueue.empty() ? m_queue : m_initQueue;
        const Queued q = queue.front();
        queue.pop_front();
        if (!q.clip->display)
            continue;  // the clip left the stage before its turn
        if (q.code)
            m_scripts->RunBlock(q.code, q.size, *q.clip);
        else
            m_scripts->ConstructClip(*q.clip);
        m_bChanged = true;
    }
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
        switch (c.kind) {
        case Command::kPlace:
            Place(clip, c.place, nesting);
            break;
        case Command::kRemove:
            RemoveAt(clip, c.place.depth);
            break;
        case Command::kActions:
            // Actions run once the frame's display list is complete, in the order they came.
            if (runActions)
                m_queue.push_back({&m_scripts->ObjectOf(*clip.m_pHolder), c.code.data(), c.code.size()});
            break;
        case Command::kInitActions:
            if (m_initDone.insert(c.place.characterId).second)
                m_initQueue.push_back({&m_scripts->ObjectOf(*clip.m_pHolder), c.code.data(), c.code.size()});
            break;
        }
    }
}

void Player::RemoveAt(Clip& clip, int depth)
{
    auto it = clip.m_list.find(depth);
    if (it == clip.m_list.end())
        return;
    const std::size_t removed = Tally(it->second);
    m_work.Take(removed, kCostCommand);
    m_nObjects -= removed;
    clip.NameRemoved(it->second);
    clip.m_list.erase(it);
    m_bChanged = true;
}

void Player::GotoFrame(Clip& clip, int frame, int nesting)
{
    if (frame < 0 || frame >= clip.FrameCount() || frame == clip.m_nFrame)
        return;
    if (!m_work.Take(static_cast<std::size_t>(std::abs(frame - clip.m_nFrame)), kCostCommand))
        return;
    // Going back rebuilds the display list from the first frame; objects the rebuilt frame
    // places again where they were stay, with what scripts gave them. The frames passed on the
    // way run no actions; the target frame's actions run after the script that went there.
    if (frame < clip.m_nFrame) {
        std::map<int, DisplayObject> old;
        for (auto it = clip.m_list.begin(); it != clip.m_list.end();) {
            auto next = std::next(it);
            if (!it->second.placedByScript)
                old.insert(clip.m_list.extract(it));
            it = next;
        }
        clip.NamesChanged();
        auto* savedRecycle = m_pRecycle;
        const Clip* savedClip = m_pRecycleClip;
        m_pRecycle = &old;
        m_pRecycleClip = &clip;
        clip.m_nFrame = -1;
        for (int f = 0; f <= frame; ++f)
            EnterFrame(clip, f, f == frame, nesting);
        m_pRecycle = savedRecycle;
        m_pRecycleClip = savedClip;
        for (const auto& [depth, object] : old)
            m_nObjects -= Tally(object);
        m_bChanged = true;
        return;
    }
    for (int f = clip.m_nFrame + 1; f <= frame; ++f)
        EnterFrame(clip, f, f == frame, nesting);
}

DisplayObject* Player::Place(Clip& clip, const PlaceCommand& p, int nesting)
{
    auto it = clip.m_list.find(p.depth);
    if (p.move) {
        if (it == clip.m_list.end())
            return nullptr;
    } else if (it != clip.m_list.end() || !p.hasCharacter) {
        return nullptr;  // a depth holds one object; placing onto it needs the move flag
    }
    if (it == clip.m_list.end() && m_pRecycle && m_pRecycleClip == &clip) {
        auto kept = m_pRecycle->find(p.depth);
        if (kept != m_pRecycle->end() && kept->second.characterId == p.characterId) {
            it = clip.m_list.insert(m_pRecycle->extract(kept)).position;
            clip.NameAdded(it->second);
        }
    }
    if (it == clip.m_list.end()) {
        if (m_nObjects >= kMaxDisplayObjects)
            return nullptr;
        ++m_nObjects;
        it = clip.m_list.emplace(p.depth, DisplayObject{}).first;
        it->second.depth = p.depth;
        it->second.parent = &clip;
        it->second.name = p.name;
        clip.NameAdded(it->second);
        it->second.clipActions = p.clipActions.empty() ? nullptr : &p.clipActions;
        it->second.characterId = p.characterId;
        if (p.hasCharacter)
            StartClip(it->second, nesting);
    } else if (p.hasCharacter && it->second.characterId != p.characterId) {
        DisplayObject& o = it->second;
        o.characterId = p.characterId;
        m_nObjects -= Tally(o) - 1;
        o.clip.reset();
        StartClip(o, nesting);
    }
    DisplayObject& o = it->second;
    if (p.hasMatrix)
        o.matrix = p.matrix;
    if (p.hasCxForm)
        o.cxform = p.cxform;
    if (p.hasRatio)
        o.ratio = p.ratio;
    if (p.hasCacheAsBitmap)
        o.cacheAsBitmap = p.cacheAsBitmap;
    if (p.hasOpaqueBackground) {
        o.hasOpaqueBackground = true;
        o.opaqueBackground = p.opaqueBackground;
        o.opaqueBackground.a = 255;
    }
    if (p.hasClipDepth)
        o.clipDepth = p.clipDepth;
    m_bChanged = true;
    return &o;
}

void Player::StartClip(DisplayObject& o, int nesting)
{
    auto kind = m_movie.kinds.find(o.characterId);
    if (kind == m_movie.kinds.end() || kind->second != CharacterKind::kSprite || nesting >= kMaxSpriteNesting ||
        !m_work.Take(1, kCostObject))
        return;
    o.clip = std::make_unique<Clip>(m_movie.sprites.at(o.characterId).timeline, o);
    // Initialize events, the registered class's constructor and load events come before the
    // clip's first frame's actions.
    auto queueEvents = [&](uint32_t event) {
        if (o.clipActions)
            for (const ClipAction& a : *o.clipActions)
                if (a.events & event)
                    m_queue.push_back({&m_scripts->ObjectOf(o), a.code.data(), a.code.size()});
    };
    queueEvents(kEventInitialize);
    if (m_scripts->HasClass(o.characterId) && !m_bScriptPlacing)
        m_queue.push_back({&m_scripts->ObjectOf(o), nullptr, 0});
    queueEvents(kEventLoad);
    if (o.clip->FrameCount() > 0)
        EnterFrame(*o.clip, 0, true, nesting + 1);
}

DisplayObject* Player::PlaceEmpty(Clip& clip, int depth, const std::string& name)
{
    if (m_nObjects >= kMaxDisplayObjects || Nesting(clip) >= kMaxSpriteNesting || !m_work.Take(1, kCostObject))
        return nullptr;
    ++m_nObjects;
    DisplayObject& o = clip.m_list.emplace(depth, DisplayObject{}).first->second;
    o.depth = depth;
    o.name = name;
    clip.NameAdded(o);
    o.parent = &clip;
    o.placedByScript = true;
    m_bChanged = true;
    return &o;
}

DisplayObject* Player::PlaceCharacter(Clip& clip, int depth, uint16_t characterId, const std::string& name)
{
    PlaceCommand p;
    p.depth = depth;
    p.hasCharacter = true;
    p.characterId = characterId;
    p.name = name;
    // The script runs the clip's registered constructor itself, once it gave the clip its
    // initial properties; the timeline's placements run theirs again, even when a script's
    // placement was cut short by its budget.
    m_bScriptPlacing = true;
    struct Placed {
        bool& scriptPlacing;
        ~Placed() { scriptPlacing = false; }
    } placed{m_bScriptPlacing};
    DisplayObject* o = Place(clip, p, Nesting(clip));
    if (o)
        o->placedByScript = true;
    return o;
}

void Player::StartEmptyClip(DisplayObject& object)
{
    object.clip = std::make_unique<Clip>(m_emptyTimeline, object);
}

void Clip::SwapDepths(int from, int to)
{
    NamesChanged();
    auto mine = m_list.extract(from);
    auto theirs = m_list.extract(to);
    mine.key() = to;
    mine.mapped().depth = to;
    mine.mapped().placedByScript = true;
    m_list.insert(std::move(mine));
    if (!theirs.empty()) {
        theirs.key() = from;
        theirs.mapped().depth = from;
        theirs.mapped().placedByScript = true;
        m_list.insert(std::move(theirs));
    }
}

std::string Clip::NameKey(std::string name) const
{
    return m_bNamesCaseSensitive ? name : Lower(std::move(name));
}

DisplayObject* Clip::ChildNamed(const std::string& name, bool caseSensitive, std::size_t& visited)
{
    visited = 0;
    if (!m_bNamesIndexed || m_bNamesCaseSensitive != caseSensitive) {
        m_names.clear();
        m_bNamesCaseSensitive = caseSensitive;
        for (auto& [depth, child] : m_list)
            if (!child.name.empty())
                m_names.emplace(NameKey(child.name), &child);  // the first by depth stays
        visited = m_list.size();
        m_bNamesIndexed = true;
    }
    const auto found = m_names.find(NameKey(name));
    return found == m_names.end() ? nullptr : found->second;
}

void Clip::NameAdded(DisplayObject& child)
{
    if (!m_bNamesIndexed || child.name.empty())
        return;
    const auto [at, added] = m_names.emplace(NameKey(child.name), &child);
    if (!added && at->second->depth > child.depth)
        at->second = &child;
}

void Clip::NameRemoved(const DisplayObject& child)
{
    if (!m_bNamesIndexed || child.name.empty())
        return;
    const auto at = m_names.find(NameKey(child.name));
    if (at != m_names.end() && at->second == &child)
        m_bNamesIndexed = false;
}

Shape& Clip::EditDrawing()
{
    if (!m_pDrawing)
        m_pDrawing = std::make_unique<Shape>();
    return *m_pDrawing;
}

const DisplayObject* Player::MaskOf(const DisplayObject& object) const
{
    return object.mask ? object.mask->display : nullptr;
}

Matrix Player::StageMatrix(const DisplayObject& object)
{
    Matrix m = object.matrix;
    int guard = 0;
    for (const Clip* c = object.parent; c && c->Holder() && c->Holder()->parent && guard < kMaxRenderNesting;
         c = c->Holder()->parent, ++guard)
        m = c->Holder()->matrix * m;
    return m;
}

int Player::Nesting(const Clip& clip) const
{
    int n = 0;
    for (const DisplayObject* o = clip.m_pHolder; o && o->parent; o = o->parent->m_pHolder)
        ++n;
    return n;
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
    const Clip& root = Root();
    const bool rootMoves = root.m_bPlaying &&
                           (root.m_nFrame + 1 < root.FrameCount() || (m_bLoop && root.FrameCount() > 1) || root.m_nFrame < 0);
    return rootMoves || m_bHandlers || IsAnimating(root);
}

}  // namespace swf
