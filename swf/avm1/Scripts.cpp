#include "swf/avm1/Scripts.h"

#include "swf/avm1/Interpreter.h"
#include "swf/player/Player.h"

namespace swf::avm1 {
namespace {

// The player's questions answered by the interpreter, whose objects are every script object
// the player holds.
class VmScripts final : public Scripts {
public:
    explicit VmScripts(Player& player) : m_vm(player, player.GetMovie().version, player.GetMovie().scriptBytes) {}

    void RunBlock(const uint8_t* code, std::size_t size, ScriptObject& clip) override
    {
        m_vm.RunBlock(code, size, *AsObject(&clip));
    }
    void CallHandler(ScriptObject& object, const char* name) override { m_vm.CallHandler(*AsObject(&object), name); }
    bool HasHandler(ScriptObject& object, const char* name) override
    {
        return m_vm.HasProperty(*AsObject(&object), name);
    }
    ScriptObject& ObjectOf(DisplayObject& display) override { return m_vm.ObjectOf(display); }
    bool HasClass(uint16_t characterId) const override { return m_vm.ClassOf(characterId) != nullptr; }
    void ConstructClip(ScriptObject& clip) override { m_vm.ConstructClip(*AsObject(&clip)); }
    bool RunIntervals() override
    {
        if (m_vm.m_intervals.empty())
            return false;
        m_vm.RunIntervals();
        return true;
    }
    void Collect() override { m_vm.Collect({}); }
    std::size_t HeapSize() const override { return m_vm.HeapSize(); }
    std::size_t HeapBytes() const override { return m_vm.HeapBytes(); }
    void SetTraceOutput(std::function<void(const std::string&)> output) override { m_vm.onTrace = std::move(output); }
    void SetDiagnosticOutput(std::function<void(const std::string&)> output) override
    {
        m_vm.onDiagnostic = std::move(output);
    }

private:
    Vm m_vm;
};

}  // namespace

std::unique_ptr<Scripts> MakeScripts(Player& player)
{
    return std::make_unique<VmScripts>(player);
}

}  // namespace swf::avm1
