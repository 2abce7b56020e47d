#!/bin/bash
# The function-length check on constructs a brace counter gets wrong: lambdas, methods defined in
# their class, constructors with initialiser lists, if/for blocks, braces in literals and comments,
# and both branches of an #if.
set -u
check=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
filler() { for _ in $(seq "$1"); do echo '  x += 1;'; done; }
{
  echo 'namespace a::b {'
  echo 'int blocks(int x) {'                     # 81 lines
  echo '  for (int i = 0; i < 3; ++i) {'
  echo '    if constexpr (true) { x += i; } else { x -= i; }'
  echo '  }'
  echo '  const char* text = "}{"; // }'
  echo '  auto raw = R"x(})x"; /* } */ char c = '"'}'"'; (void)text; (void)raw; (void)c;'
  filler 73
  echo '  return x;'
  echo '}'
  echo 'int fits(int x) {'                       # 80 lines
  filler 78
  echo '}'
  echo 'struct Widget : Base {'
  echo '  Widget(int x)'                          # 82 lines
  echo '      : Base{x},'
  echo '        y_(x),'
  echo '        z_{x} {'
  filler 77
  echo '  }'
  echo '  int method(int x) const {'            # 81 lines
  filler 79
  echo '  }'
  echo '  std::function<int(int)> member_{[](int x) { return x; }};'
  echo '};'
  echo 'const auto table = std::array{Row{"a", [](int x) {'   # 81 lines
  filler 79
  echo '}}};'
  echo '#if defined(ONE)'
  echo 'void twice() {'
  echo '#else'
  echo 'void twice(int) {'
  echo '#endif'
  echo '}'
  echo '}  // namespace a::b'
} > "$dir/sample.cpp"
expected="$dir/sample.cpp:2-82: 81 lines: blocks
$dir/sample.cpp:83-162: 80 lines: fits
$dir/sample.cpp:164-245: 82 lines: Widget::Widget
$dir/sample.cpp:246-326: 81 lines: Widget::method
$dir/sample.cpp:327-327: 1 lines: lambda
$dir/sample.cpp:329-409: 81 lines: lambda
$dir/sample.cpp:411-415: 5 lines: twice"
actual=$(python3 "$check" --all "$dir/sample.cpp" 2>/dev/null)
if [ "$actual" != "$expected" ]; then
  echo "listing differs:"; diff <(echo "$expected") <(echo "$actual"); exit 1
fi
python3 "$check" "$dir/sample.cpp" > "$dir/out" 2>&1 && { echo "long functions passed"; exit 1; }
[ "$(grep -c ' lines: ' "$dir/out")" = 4 ] || { echo "expected 4 long ones:"; cat "$dir/out"; exit 1; }
echo "ok"
