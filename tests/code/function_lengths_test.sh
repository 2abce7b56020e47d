#!/bin/bash
# The function-length check on constructs a brace counter gets wrong: lambdas, methods defined in
# their class, constructors with initialiser lists, if/for blocks, braces in literals and comments,
# and both branches of an #if. A line "@N" stands for N lines of statements.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
awk '/^@/ { for (i = 0; i < substr($0, 2) + 0; ++i) print "  x += 1;"; next } { print }' > "$dir/a.cpp" <<'CODE'
namespace a::b {
int blocks(int x) {
  for (int i = 0; i < 3; ++i) {
    if constexpr (true) { x += i; } else { x -= i; }
  }
  const char* text = "}{"; // }
  auto raw = R"x(})x"; /* } */ char c = '}'; (void)text; (void)raw; (void)c;
@73
  return x;
}
int fits(int x) {
@78
}
struct Widget : Base {
  Widget(int x)
      : Base{x},
        y_(x),
        z_{x} {
@77
  }
  int method(int x) const {
@79
  }
  std::function<int(int)> member_{[](int x) { return x; }};
};
const auto table = std::array{Row{"a", [](int x) {
@79
}}};
#if defined(ONE)
void twice() {
#else
void twice(int) {
#endif
}
}  // namespace a::b
CODE
expected="$dir/a.cpp:2-82: 81 lines: blocks
$dir/a.cpp:83-162: 80 lines: fits
$dir/a.cpp:164-245: 82 lines: Widget::Widget
$dir/a.cpp:246-326: 81 lines: Widget::method
$dir/a.cpp:327-327: 1 lines: lambda
$dir/a.cpp:329-409: 81 lines: lambda
$dir/a.cpp:411-415: 5 lines: twice"
actual=$(python3 "$1" --all "$dir/a.cpp" 2>/dev/null)
[ "$actual" = "$expected" ] || { diff <(echo "$expected") <(echo "$actual"); exit 1; }
python3 "$1" "$dir/a.cpp" > "$dir/out" 2>&1 && { echo "long functions passed"; exit 1; }
[ "$(grep -c ' lines: ' "$dir/out")" = 4 ] || { echo "expected 4 long ones:"; cat "$dir/out"; exit 1; }
echo ok
