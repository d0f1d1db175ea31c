// Action streams as a hostile movie may write them: every one decodes to a
// program that ends, with its branches inside it, and says what it could
// not read.

#include <gtest/gtest.h>

#include <random>

#include "support/ActionWriter.h"
#include "swf/script/ActionDecoder.h"
#include "swf/script/Heap.h"
#include "swf/script/Program.h"

namespace {

using namespace swf::script;
using swftest::ActionCode;
using swftest::ActionWriter;

// The properties the interpreter relies on, for this program and every
// function inside it.
void expectWellFormed(const Program& program)
{
    ASSERT_FALSE(program.code.empty());
    EXPECT_EQ(program.code.back().op, Op::End);
    const std::size_t size = program.code.size();
    for (const Instruction& in : program.code) {
        switch (in.op) {
        case Op::Jump:
        case Op::If:
        case Op::WaitForFrame:
        case Op::WaitForFrame2: EXPECT_LT(in.target, size); break;
        case Op::With: EXPECT_LT(in.operand, size); break;
        case Op::PushConstant: EXPECT_LT(in.operand, program.constants.size()); break;
        case Op::ConstantPool: EXPECT_LT(in.operand, program.pools.size()); break;
        case Op::Try: EXPECT_LT(in.operand, program.tries.size()); break;
        case Op::DefineFunction:
        case Op::DefineFunction2: EXPECT_LT(in.operand, program.functions.size()); break;
        default: break;
        }
    }
    for (const TryTemplate& t : program.tries) {
        EXPECT_LT(t.catchIndex, size);
        EXPECT_LT(t.finallyIndex, size);
        EXPECT_LT(t.endIndex, size);
    }
    for (const FunctionTemplate& f : program.functions)
        expectWellFormed(*f.body);
}

Program* decode(Heap& heap, const std::vector<std::uint8_t>& bytes)
{
    return ActionDecoder(heap, 8).decode(bytes);
}

TEST(ActionDecoder, MalformedStreamsEndWithTheReasonAndKeepWhatCameBefore)
{
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t instructionsBeforeEnd;
    } cases[] {
        {"header cut short", {0x07, 0x96, 0x05}, 1},
        {"action past the block", {0x06, 0x96, 0x10, 0x00, 0x07}, 1},
        {"push string without terminator", {0x96, 0x03, 0x00, 0x00, 'a', 'b'}, 0},
        {"push double cut short", {0x96, 0x05, 0x00, 0x06, 1, 2, 3, 4}, 0},
        {"constant pool shorter than its count", {0x88, 0x04, 0x00, 0x05, 0x00, 'a', 0x00, 0x07}, 2},
        {"function header cut short", {0x9B, 0x02, 0x00, 'f', 0x00}, 0},
        {"try without its sizes", {0x8F, 0x02, 0x00, 0x01, 0x00}, 0},
    };
    for (const auto& c : cases) {
        Heap heap;
        Program* p = decode(heap, c.bytes);
        expectWellFormed(*p);
        EXPECT_FALSE(p->problems.empty()) << c.name;
        // The End where reading stopped, and the program's own.
        EXPECT_EQ(p->code.size(), c.instructionsBeforeEnd + 2) << c.name;
    }
}

TEST(ActionDecoder, UnknownActionsAreSkippedByTheirLength)
{
    ActionWriter w;
    w.action(0x77, {}).action(0xF0, {1, 2, 3}).op(ActionCode::Play);
    Heap heap;
    Program* p = decode(heap, w.build());
    EXPECT_TRUE(p->problems.empty());
    ASSERT_EQ(p->code.size(), 5u);
    EXPECT_EQ(p->code[2].op, Op::Play);
}

TEST(ActionDecoder, BranchesLandOnTheirActionOrTheEnd)
{
    ActionWriter w;
    w.jump("over").op(ActionCode::Stop).label("over").op(ActionCode::Play);
    w.raw({0x99, 0x02, 0x00, 0x00, 0x70}); // far past the end
    Heap heap;
    Program* p = decode(heap, w.build());
    expectWellFormed(*p);
    EXPECT_EQ(p->code[p->code[0].target].op, Op::Play);
    EXPECT_EQ(p->code[3].op, Op::Jump);
    EXPECT_EQ(p->code[p->code[3].target].op, Op::End);
}

TEST(ActionDecoder, AJumpIntoAnActionReadsOnFromThere)
{
    // The jump lands on the second byte of a Push whose body holds a Stop
    // action (0x07) followed by End.
    const std::vector<std::uint8_t> bytes {0x99, 0x02, 0x00, 0x03, 0x00, 0x96, 0x03, 0x00, 0x07, 0x07, 0x00, 0x00};
    Heap heap;
    Program* p = decode(heap, bytes);
    expectWellFormed(*p);
    bool reachedStop = false;
    for (std::uint32_t at = p->code[0].target, steps = 0; steps < 10 && p->code[at].op != Op::End; ++steps, ++at)
        reachedStop |= p->code[at].op == Op::Stop;
    EXPECT_TRUE(reachedStop);
}

TEST(ActionDecoder, DeepNestingOfFunctionsStopsAtTheLimit)
{
    ActionWriter inner;
    inner.op(ActionCode::Play);
    for (int i = 0; i < ActionDecoder::kMaxNesting + 10; ++i) {
        ActionWriter outer;
        outer.defineFunction("", {}, inner);
        inner = outer;
    }
    Heap heap;
    Program* p = decode(heap, inner.build());
    expectWellFormed(*p);
    int depth = 0;
    bool sawProblem = !p->problems.empty();
    for (const Program* q = p; !q->functions.empty(); q = q->functions[0].body) {
        ++depth;
        sawProblem |= !q->functions[0].body->problems.empty();
    }
    EXPECT_LE(depth, ActionDecoder::kMaxNesting);
    EXPECT_TRUE(sawProblem);
}

TEST(ActionDecoder, RandomBytesAlwaysDecodeToAWellFormedProgram)
{
    std::mt19937 random(20240601);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes(random() % 200);
        for (auto& b : bytes)
            b = std::uint8_t(random() % 3 == 0 ? 0x80 + random() % 0x20 : random());
        Heap heap;
        expectWellFormed(*decode(heap, bytes));
    }
}

} // namespace
