// The collector: frees the objects that no root reaches and counts afresh what the rest hold.
#include "swf/avm1/VmInternal.h"

#include "swf/player/Player.h"
#include "swf/format/Text.h"

#include <algorithm>

namespace swf::avm1 {

// ---------------------------------------------------------------------------
// Collector

void Vm::Collect(const std::vector<Object*>& extraRoots)
{
    for (auto& o : m_heap)
        o->marked = false;
    std::vector<Object*> work;
    auto mark = [&](Object* o) {
        if (o && !o->marked) {
            o->marked = true;
            work.push_back(o);
        }
    };
    auto markValue = [&](const Value& v) {
        if (v.IsObject())
            mark(v.o);
    };
    mark(m_global);
    // Every prototype the player hands out stays, even when scripts deleted or replaced its class.
    for (Object* o : m_protos)
        mark(o);
    for (Object* o : extraRoots)
        mark(o);
    for (const auto& [id, cls] : m_classes)
        mark(cls);
    for (const Interval& i : m_intervals) {
        markValue(i.fn);
        for (const Value& v : i.args)
            markValue(v);
    }
    // Every display object's script object stays while the object is shown.
    std::vector<const DisplayObject*> displays{&m_player.RootObject()};
    m_nDrawingEdges = 0;
    std::size_t heldBytes = 0;  // by loaded images and text fields
    while (!displays.empty()) {
        const DisplayObject* d = displays.back();
        displays.pop_back();
        mark(AsObject(d->script));
        mark(AsObject(d->mask));
        if (d->field)
            heldBytes += FieldBytes(d->field->field, d->field->text);
        if (!d->clip)
            continue;
        if (d->clip->Drawing())
            m_nDrawingEdges += d->clip->Drawing()->edges.size();
        if (d->clip->Image() && d->clip->HoldsImageAlone())  // else its BitmapData counts it
            heldBytes += d->clip->Image()->pixels.size() * sizeof(uint32_t);
        for (auto& entry : d->clip->DisplayList())
            displays.push_back(&entry.second);
    }
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        mark(o->proto);
        mark(o->target);
        for (const auto& [key, p] : o->props) {
            markValue(p.value);
            mark(p.getter);
            mark(p.setter);
        }
        for (const Value& v : o->elements)
            markValue(v);
        if (o->script) {
            mark(o->script->target);
            for (const Scope* s = o->script->scope.get(); s; s = s->outer.get())
                mark(s->object);
            if (o->script->pool)
                for (const Value& v : *o->script->pool)
                    markValue(v);
        }
    }
    std::size_t bytes = 0;
    std::vector<std::unique_ptr<Object>> kept;
    kept.reserve(m_heap.size());
    for (auto& o : m_heap) {
        if (!o->marked) {
            if (o->display)
                o->display->script = nullptr;
            continue;
        }
        bytes += sizeof(Object) + o->elements.size() * sizeof(Value);
        if (o->bitmap)
            bytes += o->bitmap->pixels.size() * sizeof(uint32_t);
        for (const auto& [key, p] : o->props)
            bytes += PropertyBytes(key, p.name);
        kept.push_back(std::move(o));
    }
    bytes += m_nDrawingEdges * sizeof(Edge) + heldBytes;
    m_heap = std::move(kept);
    // What the live objects and drawings hold, counted afresh: what freed objects held goes back.
    m_pBytes->Refund(m_nHeapBytes);
    m_nHeapBytes = std::min(bytes, m_pBytes->Left());
    m_pBytes->Spend(m_nHeapBytes);
}

}  // namespace swf::avm1
