// Expression evaluation, as every command argument and message splice goes
// through it. Reference: converting the same integers with StrToInt, the
// least any evaluation of these texts must do.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/conv.h"
#include "engine/script/expr.h"
#include "engine/script/variables.h"

namespace {

struct Game {
    TItemList Items;
    TFlagList Flags;
    TSVarList StrVars;
    TExprConv Expr;
    Game()
    {
        Flags.Reset();
        StrVars.Reset();
        auto key = std::make_unique<TItemRec>();
        key->Name = "key";
        Items.Add(std::move(key));
        Flags.GetItem(1)->Value = 7;
        Flags.GetItem(2)->Value = 5;
        StrVars.GetItem(4)->Value = "12";
        Expr.SetLists(&Items, &Flags, &StrVars);
        Expr.OnRandom = [] { return 0x12345678u; };
    }
};

void BM_Reference_StrToInt(benchmark::State& state)
{
    const std::string numbers[] = {"1", "2", "3", "4"};
    for (auto _ : state) {
        int32_t sum = 0;
        for (const std::string& n : numbers)
            sum += StrToInt(n);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Reference_StrToInt);

void Evaluate(benchmark::State& state, const char* text)
{
    Game game;
    for (auto _ : state)
        benchmark::DoNotOptimize(game.Expr.Evaluate(text));
    state.SetItemsProcessed(state.iterations());
}

void BM_Evaluate_Arithmetic(benchmark::State& state)
{
    Evaluate(state, "F(1)+F(2)*3-S(4)");
}
BENCHMARK(BM_Evaluate_Arithmetic);

void BM_Evaluate_Assignment(benchmark::State& state)
{
    Evaluate(state, "F(10) = F(1) + F(2) * 3");
}
BENCHMARK(BM_Evaluate_Assignment);

void BM_Evaluate_CompoundAssignment(benchmark::State& state)
{
    Evaluate(state, "F(3) += 1");
}
BENCHMARK(BM_Evaluate_CompoundAssignment);

void BM_Evaluate_StringAssignment(benchmark::State& state)
{
    Evaluate(state, "S(5) = 'abc'");
}
BENCHMARK(BM_Evaluate_StringAssignment);

void BM_Evaluate_Condition(benchmark::State& state)
{
    Evaluate(state, "F(1) >= 3 && I(key) == 0");
}
BENCHMARK(BM_Evaluate_Condition);

void BM_Evaluate_Splice(benchmark::State& state)
{
    Evaluate(state, "'HP {F(1)}/{F(2)}'");
}
BENCHMARK(BM_Evaluate_Splice);

} // namespace
