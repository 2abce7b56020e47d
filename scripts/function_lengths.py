#!/usr/bin/env python3
"""Lists every C++ function longer than a limit and exits 1 if there is one.

usage: function_lengths.py [--max N] [--all] PATH...

A function's length runs from the first line of its declaration (template header included) to
its closing brace. Functions are free and member functions, whether defined in or outside their
class, and lambdas; a lambda counts on its own and inside the function around it. Blocks of
if/for/while/switch/try, braced initialisers, classes and namespaces are not functions.

The reader is a tokenizer, not a compiler: comments, string and character literals (raw strings
too) and preprocessor lines are dropped, and of #if/#else only the first branch is read, so both
branches do not open the same body twice. --all lists every function with its length.
"""

import os
import re
import sys

SOURCE_ENDINGS = (".cpp", ".cc", ".cxx", ".h", ".hpp", ".hh")
CONTROL = {"if", "for", "while", "switch", "catch", "else", "do", "try"}
# Words after which '[' opens a lambda rather than a subscript.
LAMBDA_AFTER_WORDS = {"return", "co_return", "co_yield", "throw", "case", "else", "do", "and",
                      "or", "not"}
# What may follow a lambda's closing ']'; a structured binding is followed by '=' or ':'.
LAMBDA_AFTER_CAPTURE = {"(", "{", "<", "mutable", "->", "constexpr", "consteval", "noexcept",
                        "static", "requires"}
ACCESS_WORDS = {"public", "private", "protected", "signals", "slots", "Q_SIGNALS", "Q_SLOTS"}
NOT_A_NAME = {"__attribute__", "alignas", "__declspec", "decltype", "noexcept", "requires",
              "throw", "sizeof", "alignof"}
CLASS_WORDS = {"class", "struct", "union", "enum", "final", "alignas"}
# Words between a parameter list and the body.
TRAILERS = {"const", "volatile", "override", "final", "noexcept", "mutable"}
MACRO = re.compile(r"[A-Z][A-Z0-9]*_[A-Z0-9_]*")
IDENT = re.compile(r"[A-Za-z_][A-Za-z_0-9]*")
NUMBER = re.compile(r"\.?[0-9](?:[eEpP][+-]|'[0-9A-Za-z_]|[0-9A-Za-z_.])*")
RAW_PREFIX = re.compile(r"(?:u8|[uUL])?R\"([^()\\ \t\n]{0,16})\(")
STRING_PREFIX = re.compile(r"(?:u8|[uUL])?[\"']")


class Token:
    __slots__ = ("text", "line")

    def __init__(self, text, line):
        self.text = text
        self.line = line


def strip_preprocessor(source):
    """Blanks preprocessor lines and every #else/#elif branch, keeping the line count."""
    lines = source.split("\n")
    out = []
    skipping = []  # per open #if: True while inside a branch after the first
    continued = False
    for line in lines:
        directive = line.lstrip()
        if continued or directive.startswith("#"):
            continued = line.endswith("\\")
            word = re.match(r"#\s*(\w*)", directive)
            word = word.group(1) if word and directive.startswith("#") else ""
            if word in ("if", "ifdef", "ifndef"):
                skipping.append(False)
            elif word in ("else", "elif", "elifdef", "elifndef") and skipping:
                skipping[-1] = True
            elif word == "endif" and skipping:
                skipping.pop()
            out.append("")
        elif any(skipping):
            out.append("")
        else:
            out.append(line)
    return "\n".join(out)


def tokenize(source):
    """Tokens of the code, with literals reduced to one placeholder token each."""
    text = strip_preprocessor(source)
    tokens = []
    i, line, n = 0, 1, len(text)
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
        elif c in " \t\r\f\v\\":
            i += 1
        elif text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            line += text.count("\n", i, end)
            i = end
        else:
            raw = RAW_PREFIX.match(text, i)
            literal = STRING_PREFIX.match(text, i) if not raw else None
            if raw:
                close = ")" + raw.group(1) + '"'
                end = text.find(close, raw.end())
                end = n if end < 0 else end + len(close)
                tokens.append(Token('""', line))
                line += text.count("\n", i, end)
                i = end
            elif literal:
                quote = text[literal.end() - 1]
                j = literal.end()
                while j < n and text[j] != quote and text[j] != "\n":
                    j += 2 if text[j] == "\\" else 1
                tokens.append(Token('""' if quote == '"' else "''", line))
                i = j + 1
            elif IDENT.match(text, i):
                m = IDENT.match(text, i)
                tokens.append(Token(m.group(0), line))
                i = m.end()
            elif NUMBER.match(text, i):
                i = NUMBER.match(text, i).end()
                tokens.append(Token("0", line))
            elif text.startswith("::", i) or text.startswith("->", i):
                tokens.append(Token(text[i:i + 2], line))
                i += 2
            else:
                tokens.append(Token(c, line))
                i += 1
    return tokens


def is_word(text):
    return bool(IDENT.fullmatch(text))


class Frame:
    """One open brace: what it opens, and the state of the statement around it."""

    def __init__(self, kind, name, start_line, paren_base, statement_start):
        self.kind = kind  # namespace, class, function, lambda, block, init
        self.name = name
        self.start_line = start_line
        self.paren_base = paren_base
        self.statement_start = statement_start  # the enclosing scope's, restored at '}'


def skip_prefix(tokens, k, end):
    """Index after what may lead a declaration: template headers, attributes, a macro call."""
    while k < end:
        if tokens[k].text == "template" and k + 1 < end and tokens[k + 1].text == "<":
            depth, k = 0, k + 1
            while k < end:
                t = tokens[k].text
                if t == "(":
                    k = match_forward(tokens, k, end, "(", ")")
                elif t == "<":
                    depth += 1
                elif t == ">":
                    depth -= 1
                    if depth == 0:
                        break
                k += 1
            k += 1
        elif tokens[k].text == "[" and k + 1 < end and tokens[k + 1].text == "[":
            k = match_forward(tokens, k, end, "[", "]") + 1
        elif tokens[k].text in ("export", "typedef"):
            k += 1
        elif (MACRO.fullmatch(tokens[k].text) and k + 1 < end and tokens[k + 1].text == "("
              and (close := match_forward(tokens, k + 1, end, "(", ")")) + 1 < end
              and is_word(tokens[close + 1].text) and tokens[close + 1].text not in TRAILERS):
            # A macro call written without ';' (Q_DECLARE_METATYPE(T)) before the declaration.
            k = close + 1
        else:
            return k
    return k


def match_forward(tokens, k, end, open_, close):
    depth = 0
    while k < end:
        if tokens[k].text == open_:
            depth += 1
        elif tokens[k].text == close:
            depth -= 1
            if depth == 0:
                return k
        k += 1
    return end


def read_declaration(tokens, start, end):
    """What the statement tokens[start:end] (before a '{' at declaration scope) declare.

    Returns (kind, name): kind is namespace, class, enum, function, member_init or init.
    """
    k = skip_prefix(tokens, start, end)
    words = [t.text for t in tokens[k:end]]
    if not words:
        return "init", ""
    if "namespace" in words[:2] or words == ["extern", '""']:
        return "namespace", " ".join(w for w in words if is_word(w) and w != "namespace")
    if words[0] in ("class", "struct", "union", "enum") and (words[-1] != ")" or "(" not in words):
        colon = words.index(":") if ":" in words else len(words)
        names = [w for w in words[1:colon] if is_word(w) and w not in CLASS_WORDS]
        return ("enum" if words[0] == "enum" else "class"), (names[-1] if names else "")
    paren = angle = 0
    name = ""
    params_closed = ctor_colon = False
    j = k
    while j < end:
        t = tokens[j].text
        prev = tokens[j - 1].text if j > k else ""
        if t == "operator" and paren == 0 and angle == 0:
            # The operator's symbol belongs to its name: '=' or '<' there is neither an
            # initialiser nor a template argument list.
            m = j + 1
            if m + 1 < end and tokens[m].text == "(" and tokens[m + 1].text == ")":
                m += 2
            while m < end and tokens[m].text != "(":
                m += 1
            if not name:
                symbol = "".join(" " + x.text if is_word(x.text) else x.text for x in tokens[j + 1:m])
                name = qualified_prefix(tokens, k, j) + "operator" + symbol
            j = m
            continue
        if t == "(":
            if paren == 0 and angle == 0 and not name and is_word(prev) and prev not in NOT_A_NAME:
                name = qualified_prefix(tokens, k, j - 1) + prev
            paren += 1
        elif t == ")":
            paren -= 1
            params_closed = params_closed or (paren == 0 and angle == 0 and bool(name))
        elif paren == 0:
            if t == "<" and (is_word(prev) or prev == ">"):
                angle += 1
            elif t == ">" and angle > 0:
                angle -= 1
            elif angle == 0 and t == "=" and not name:
                return "init", ""
            elif angle == 0 and t == ":" and params_closed:
                ctor_colon = True
        j += 1
    if not name:
        return "init", ""
    last = tokens[end - 1].text
    # After a constructor's ':', a word or a template's '>' before '{' names a member or base
    # initialised with braces; the body follows the last initialiser's ')' or '}'.
    if ctor_colon and (is_word(last) or last == ">") and last not in TRAILERS:
        return "member_init", name
    return "function", name


def qualified_prefix(tokens, k, j):
    """'A::B::' (and '~') written before the name at index j; template arguments skipped."""
    prefix = ""
    m = j - 1
    if m >= k and tokens[m].text == "~":
        prefix, m = "~", m - 1
    while m >= k and tokens[m].text == "::":
        m -= 1
        if m >= k and tokens[m].text == ">":
            depth = 0
            while m >= k:
                depth += {">": 1, "<": -1}.get(tokens[m].text, 0)
                m -= 1
                if depth == 0:
                    break
        if m >= k and is_word(tokens[m].text):
            prefix, m = tokens[m].text + "::" + prefix, m - 1
        else:
            break
    return prefix


def lambda_intro(tokens, i):
    """True when the '[' at i opens a lambda's capture list."""
    prev = tokens[i - 1].text if i > 0 else ";"
    if prev in (")", "]", '""', "''", "0", "[", "operator", "delete", "new", ">"):
        return False
    if is_word(prev) and prev not in LAMBDA_AFTER_WORDS:
        return False
    if i + 1 < len(tokens) and tokens[i + 1].text == "[":
        return False
    close = match_forward(tokens, i, len(tokens), "[", "]")
    return close + 1 < len(tokens) and tokens[close + 1].text in LAMBDA_AFTER_CAPTURE


def functions_in(tokens):
    """(name, first line, last line) of each function and lambda in the tokens."""
    found = []
    stack = []
    parens = 0
    pending = []  # (parens, braces, line) of each lambda whose body has not begun
    statement_start = 0
    for i, tok in enumerate(tokens):
        t = tok.text
        scope = stack[-1] if stack else Frame("namespace", "", 0, 0, 0)
        if t == "(":
            parens += 1
        elif t == ")":
            parens = max(parens - 1, scope.paren_base)
            pending = [p for p in pending if p[0] <= parens]
        elif t == "[" and lambda_intro(tokens, i):
            pending.append((parens, len(stack), tok.line))
        elif t == ";" and parens == scope.paren_base:
            statement_start = i + 1
            pending = [p for p in pending if p[:2] != (parens, len(stack))]
        elif t == ":" and scope.kind == "class" and tokens[i - 1].text in ACCESS_WORDS:
            statement_start = i + 1
        elif t == "{":
            if pending and pending[-1][:2] == (parens, len(stack)):
                outer = enclosing_function(stack)
                kind, name, start = "lambda", "lambda" + (" in " + outer if outer else ""), pending.pop()[2]
            elif parens > scope.paren_base:
                kind, name, start = "init", "", tok.line
            elif scope.kind in ("namespace", "class"):
                kind, name = read_declaration(tokens, statement_start, i)
                if kind == "function" and scope.kind == "class" and scope.name:
                    name = scope.name + "::" + name
                kind = "init" if kind == "member_init" else kind
                start = tokens[min(statement_start, i)].line
            else:
                kind, name = code_brace(tokens, statement_start, i)
                start = tok.line
            stack.append(Frame(kind, name, start, parens, statement_start))
            statement_start = i + 1
        elif t == "}" and stack:
            frame = stack.pop()
            parens = frame.paren_base
            pending = [p for p in pending if p[1] <= len(stack)]
            if frame.kind in ("function", "lambda"):
                found.append((frame.name, frame.start_line, tok.line))
            # An initialiser or a lambda is part of the statement around it.
            statement_start = frame.statement_start if frame.kind in ("init", "lambda") else i + 1
    return found


def code_brace(tokens, start, end):
    """What a '{' inside a function body opens: a local class, a block or an initialiser."""
    k = skip_prefix(tokens, start, end)
    words = [t.text for t in tokens[k:end]]
    if words and words[0] in ("class", "struct", "union"):
        return read_declaration(tokens, start, end)
    if words and words[0] == "enum":
        return "init", ""
    prev = tokens[end - 1].text if end > 0 else ";"
    if end == start or prev in (")", ";", "{", "}", ":") or prev in CONTROL:
        return "block", ""
    return "init", ""


def enclosing_function(stack):
    for frame in reversed(stack):
        if frame.kind in ("function", "lambda"):
            return frame.name
    return ""


def source_files(paths):
    for path in paths:
        if os.path.isfile(path):
            yield path
            continue
        for root, dirs, files in os.walk(path):
            dirs[:] = sorted(d for d in dirs if not d.startswith(".") and d != "build")
            for name in sorted(files):
                if name.endswith(SOURCE_ENDINGS):
                    yield os.path.join(root, name)


def main(argv):
    limit = 80
    show_all = False
    paths = []
    args = iter(argv)
    for arg in args:
        if arg == "--max":
            limit = int(next(args, "80"))
        elif arg == "--all":
            show_all = True
        elif arg in ("-h", "--help"):
            print(__doc__.strip())
            return 0
        else:
            paths.append(arg)
    if not paths:
        print("usage: function_lengths.py [--max N] [--all] PATH...", file=sys.stderr)
        return 2
    long_ones = 0
    for path in source_files(paths):
        with open(path, encoding="utf-8", errors="replace") as f:
            tokens = tokenize(f.read())
        for name, first, last in functions_in(tokens):
            length = last - first + 1
            if length > limit:
                long_ones += 1
            if length > limit or show_all:
                print(f"{path}:{first}-{last}: {length} lines: {name}")
    if long_ones:
        print(f"{long_ones} function(s) longer than {limit} lines", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
