"""Runs example code statement by statement, checking the outcomes its comments state.

Examples show refused calls and results beside the code, as a reader would
write them, and this runner holds them to it.  A top-level statement whose
last line ends in

    # raises TypeError: the exact message
    # raises ValueError: a message prefix ...
    # raises OSError

must raise that exception (an exception of that name, or a subclass), with
that message (a trailing "..." matches a prefix; pygame's wording differs
between pygame and pygame-ce); one ending in

    # -> expression

must be an expression whose value equals the expression's and prints as it
does (`repr`), so that what a reader sees printed is what the comment shows,
on pygame and on pygame-ce alike (whose `Color` and `Rect` print otherwise).
Every other statement must simply run.
"""

import ast
import builtins
import io
import tokenize

RAISES = "raises "
EQUALS = "-> "


def comments_by_line(source):
    """{line number: comment text without '#'} for every comment in the source."""
    found = {}
    for tok in tokenize.generate_tokens(io.StringIO(source).readline):
        if tok.type == tokenize.COMMENT:
            found[tok.start[0]] = tok.string[1:].strip()
    return found


def marked_statements(source):
    """[(statement node, marker or None)] for the top-level statements of the source."""
    comments = comments_by_line(source)
    result = []
    for node in ast.parse(source).body:
        comment = comments.get(node.end_lineno, "")
        marker = comment if comment.startswith((RAISES, EQUALS)) else None
        result.append((node, marker))
    return result


def exception_matches(exc, stated):
    """Whether `exc` is what a '# raises Name[: message]' marker states."""
    name, _, message = stated.partition(":")
    name, message = name.strip(), message.strip()
    names = {cls.__name__ for cls in type(exc).__mro__}
    if name not in names:
        return False
    if not message:
        return True
    if message.endswith("..."):
        return str(exc).startswith(message[:-3].rstrip())
    return str(exc) == message


class OutcomeError(AssertionError):
    pass


def run(source, filename="<example>", namespace=None):
    """Runs `source`, checking every marked statement; returns the namespace."""
    namespace = {"__name__": "example", "__builtins__": builtins} if namespace is None else namespace
    for node, marker in marked_statements(source):
        where = f"{filename}, line {node.lineno}"
        if marker and marker.startswith(EQUALS):
            if not isinstance(node, ast.Expr):
                raise OutcomeError(f"{where}: '# ->' follows a statement that is not an expression")
            got = eval(compile(ast.Expression(node.value), filename, "eval"), namespace)
            expected = eval(marker[len(EQUALS):], namespace)
            if got != expected or repr(got) != repr(expected):
                raise OutcomeError(f"{where}: gave {got!r}, the comment says {expected!r}")
            continue
        code = compile(ast.Module([node], type_ignores=[]), filename, "exec")
        if marker is None:
            exec(code, namespace)
            continue
        stated = marker[len(RAISES):]
        try:
            exec(code, namespace)
        except Exception as exc:  # noqa: BLE001 - compared with the marker below
            if not exception_matches(exc, stated):
                raise OutcomeError(f"{where}: raised {type(exc).__name__}: {exc}; "
                                   f"the comment says {stated}") from exc
        else:
            raise OutcomeError(f"{where}: ran, but the comment says it raises {stated}")
    return namespace
