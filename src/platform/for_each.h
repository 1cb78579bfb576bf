// DW_FOR_EACH(M, context, a, b, c) expands to M(context, a) M(context, b)
// M(context, c), up to 64 items: for compile-time checks and tables that name
// many fields of one record, so each record is one line.
#pragma once

#define DW_FOR_EACH(macro, context, ...) \
  __VA_OPT__(DW_EACH_EXPAND(DW_FOR_EACH_STEP(macro, context, __VA_ARGS__)))
#define DW_FOR_EACH_STEP(macro, context, item, ...) \
  macro(context, item) __VA_OPT__(DW_FOR_EACH_AGAIN DW_EACH_PARENS(macro, context, __VA_ARGS__))
#define DW_FOR_EACH_AGAIN() DW_FOR_EACH_STEP
#define DW_EACH_PARENS ()
#define DW_EACH_EXPAND(...) \
  DW_EACH_EXPAND3(DW_EACH_EXPAND3(DW_EACH_EXPAND3(DW_EACH_EXPAND3(__VA_ARGS__))))
#define DW_EACH_EXPAND3(...) \
  DW_EACH_EXPAND2(DW_EACH_EXPAND2(DW_EACH_EXPAND2(DW_EACH_EXPAND2(__VA_ARGS__))))
#define DW_EACH_EXPAND2(...) \
  DW_EACH_EXPAND1(DW_EACH_EXPAND1(DW_EACH_EXPAND1(DW_EACH_EXPAND1(__VA_ARGS__))))
#define DW_EACH_EXPAND1(...) __VA_ARGS__

// The halves of a parenthesised pair passed as one context.
#define DW_PAIR_FIRST(first, second) first
#define DW_PAIR_SECOND(first, second) second
