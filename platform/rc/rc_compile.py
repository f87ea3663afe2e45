#!/usr/bin/env python3
"""Turns a Win32 resource script (.rc) into C++ tables for our Linux platform layer.

A Windows build hands the same script to the resource compiler; on Linux this script reads
it at build time, so the menu, accelerators, dialogs, strings and icons that the program
sees can never disagree between the two. It understands the statements a small desktop
program uses and stops the build with a clear message on anything else, rather than
guessing:

  #include "file.h"              numbers from #define lines of that header
  LANGUAGE lang, sublang
  id ICON "file.ico"             icon group: the file's bytes are embedded
  id MENU  BEGIN POPUP / MENUITEM "text", id / MENUITEM SEPARATOR ... END
  id ACCELERATORS BEGIN "c", id [, ASCII | VIRTKEY] [, ALT] [, SHIFT] [, CONTROL] [, NOINVERT] ... END
  id DIALOG x, y, cx, cy  STYLE / EXSTYLE / CAPTION / FONT  BEGIN controls END
     controls: LTEXT CTEXT RTEXT PUSHBUTTON DEFPUSHBUTTON ICON
  STRINGTABLE BEGIN id "text" ... END

Style names (WS_*, DS_*, SS_*, BS_*) are taken from platform/win32.h, our own header, so the
values agree with what the code compiles against.

Usage: rc_compile.py --rc FILE --win32-header FILE --output FILE.cpp [--depfile FILE]
                     [--allow-missing-icons]
"""

import argparse
import os
import re
import sys


class RcError(Exception):
    pass


# ---------------------------------------------------------------- tokens

TOKEN_RE = re.compile(r'''
    (?P<space>[ \t\r\n]+)
  | (?P<linecomment>//[^\n]*)
  | (?P<blockcomment>/\*.*?\*/)
  | (?P<directive>\#[^\n]*)
  | (?P<string>"(?:[^"\\\n]|\\.|"")*")
  | (?P<number>(?:0[xX][0-9a-fA-F]+|[0-9]+)[lLuU]*)
  | (?P<name>[A-Za-z_][A-Za-z0-9_]*)
  | (?P<punct>[,|(){}+\-~])
''', re.VERBOSE | re.DOTALL)


class Token:
    def __init__(self, kind, text, line):
        self.kind, self.text, self.line = kind, text, line

    def __repr__(self):
        return f'{self.text!r} (line {self.line})'


def tokenize(text, path):
    tokens, pos, line = [], 0, 1
    while pos < len(text):
        m = TOKEN_RE.match(text, pos)
        if not m:
            raise RcError(f'{path}:{line}: cannot read {text[pos:pos + 20]!r}')
        kind = m.lastgroup
        if kind not in ('space', 'linecomment', 'blockcomment'):
            tokens.append(Token(kind, m.group(), line))
        line += m.group().count('\n')
        pos = m.end()
    return tokens


STRING_ESCAPES = {'n': '\n', 't': '\t', 'a': '\a', 'r': '\r', '\\': '\\', '"': '"', '0': '\0'}


def unquote(token):
    body, out, i = token.text[1:-1], [], 0
    while i < len(body):
        c = body[i]
        if c == '"':  # "" inside a resource string stands for one quote
            out.append('"')
            i += 2
        elif c == '\\':
            e = body[i + 1]
            if e not in STRING_ESCAPES:
                raise RcError(f'line {token.line}: unknown escape \\{e} in {token.text}')
            out.append(STRING_ESCAPES[e])
            i += 2
        else:
            out.append(c)
            i += 1
    return ''.join(out)


# ---------------------------------------------------------------- numbers and symbols

def parse_int(text):
    return int(text.rstrip('lLuU'), 0) if not re.fullmatch(r'-?0[0-7]+[lLuU]*', text) \
        else int(text.rstrip('lLuU'), 8)


class Symbols:
    """#define NAME value lines, evaluated lazily so unusable C++ macros do no harm."""

    def __init__(self):
        self.raw = {}

    def read_header(self, path, owner):
        try:
            with open(path, encoding='ascii') as f:
                lines = f.read().replace('\\\n', ' ').splitlines()
        except OSError as e:
            raise RcError(f'{owner}: cannot read {path}: {e.strerror}')
        for line in lines:
            m = re.match(r'\s*#\s*define\s+([A-Za-z_]\w*)\s+(.+?)\s*(//.*)?$', line)
            if m:
                self.raw[m.group(1)] = m.group(2)

    def value(self, name, line, seen=()):
        if name not in self.raw:
            raise RcError(f'line {line}: {name} is not defined')
        if name in seen:
            raise RcError(f'line {line}: {name} is defined in terms of itself')
        tokens = tokenize(self.raw[name], name)
        expr = Expression(tokens, self, line, seen + (name,))
        v = expr.parse()
        if not expr.at_end():
            raise RcError(f'line {line}: cannot evaluate {name} = {self.raw[name]}')
        return v


class Expression:
    """The small expression language of resource scripts: | + - ~ NOT, parentheses."""

    def __init__(self, tokens, symbols, line, seen=()):
        self.t, self.i, self.symbols, self.line, self.seen = tokens, 0, symbols, line, seen

    def at_end(self):
        return self.i >= len(self.t)

    def peek(self):
        return self.t[self.i] if self.i < len(self.t) else None

    def parse(self):
        v = self.term()
        while self.peek() is not None and self.peek().text in ('|', '+', '-'):
            op = self.t[self.i].text
            self.i += 1
            rhs = self.term()
            v = v | rhs if op == '|' else v + rhs if op == '+' else v - rhs
        return v

    def term(self):
        tok = self.peek()
        if tok is None:
            raise RcError(f'line {self.line}: expression ends too early')
        self.i += 1
        if tok.text == '(':
            v = self.parse()
            if self.peek() is None or self.peek().text != ')':
                raise RcError(f'line {self.line}: missing )')
            self.i += 1
            return v
        if tok.text == 'NOT':
            raise RcError(f'line {self.line}: NOT belongs in a style list (STYLE or a control style)')
        if tok.text in ('-', '~'):
            v = self.term()
            return -v if tok.text == '-' else ~v
        if tok.kind == 'number':
            return parse_int(tok.text)
        if tok.kind == 'name':
            return self.symbols.value(tok.text, self.line, self.seen)
        raise RcError(f'line {self.line}: unexpected {tok.text} in an expression')


# ---------------------------------------------------------------- statements

DIALOG_DEFAULT_STYLE = ('WS_POPUP', 'WS_BORDER', 'WS_SYSMENU')
# What each control statement creates, and the styles it has before any that the script adds.
CONTROL_KINDS = {
    'LTEXT': ('Static', ('SS_LEFT', 'WS_GROUP')),
    'CTEXT': ('Static', ('SS_CENTER', 'WS_GROUP')),
    'RTEXT': ('Static', ('SS_RIGHT', 'WS_GROUP')),
    'PUSHBUTTON': ('Button', ('BS_PUSHBUTTON', 'WS_TABSTOP')),
    'DEFPUSHBUTTON': ('Button', ('BS_DEFPUSHBUTTON', 'WS_TABSTOP')),
    'ICON': ('Static', ('SS_ICON',)),
}
ACCEL_FLAGS = {'VIRTKEY': 'FVIRTKEY', 'NOINVERT': 'FNOINVERT', 'SHIFT': 'FSHIFT',
               'CONTROL': 'FCONTROL', 'ALT': 'FALT'}
LANGUAGES = {('LANG_ENGLISH', 'SUBLANG_ENGLISH_US'): 0x0409, ('LANG_NEUTRAL', 'SUBLANG_NEUTRAL'): 0}


class Parser:
    def __init__(self, tokens, symbols, rc_dir, path):
        self.t, self.i, self.symbols, self.rc_dir, self.path = tokens, 0, symbols, rc_dir, path
        self.language = 0
        self.icons, self.menus, self.accels, self.dialogs, self.strings = [], [], [], [], []
        self.depends = []

    # -- token helpers
    def peek(self, k=0):
        j = self.i + k
        return self.t[j] if j < len(self.t) else None

    def next(self):
        tok = self.peek()
        if tok is None:
            raise RcError(f'{self.path}: the script ends in the middle of a statement')
        self.i += 1
        return tok

    def error(self, tok, what):
        return RcError(f'{self.path}:{tok.line}: {what}')

    def expect(self, text):
        tok = self.next()
        if tok.text != text:
            raise self.error(tok, f'expected {text} but found {tok.text}')

    def accept(self, text):
        if self.peek() is not None and self.peek().text == text:
            self.i += 1
            return True
        return False

    def begin(self):
        tok = self.next()
        if tok.text not in ('BEGIN', '{'):
            raise self.error(tok, f'expected BEGIN but found {tok.text}')

    def at_end_block(self):
        tok = self.peek()
        return tok is not None and tok.text in ('END', '}')

    def string(self):
        tok = self.next()
        if tok.kind != 'string':
            raise self.error(tok, f'expected a quoted text but found {tok.text}')
        return unquote(tok)

    def expression(self):
        """An expression runs until a comma, a keyword of the statement or the end of the line."""
        start, line = self.i, self.peek().line if self.peek() else 0
        depth = 0
        while self.peek() is not None and self.peek().line == line:
            tok = self.peek()
            if tok.text == ',' and depth == 0:
                break
            if tok.kind == 'string' or tok.text in ('BEGIN', 'END', '{', '}'):
                break
            depth += tok.text == '('
            depth -= tok.text == ')'
            self.i += 1
        if self.i == start:
            raise self.error(self.peek() or self.t[-1], 'expected a number or a name')
        expr = Expression(self.t[start:self.i], self.symbols, line)
        return expr.parse()

    def style(self, defaults):
        """A style list: flags joined by |, where NOT FLAG takes FLAG away from the defaults."""
        add, remove = 0, 0
        while True:
            negate = self.accept('NOT')
            value = self.style_term()
            if negate:
                remove |= value
            else:
                add |= value
            if not self.accept('|'):
                break
        return ((defaults & ~remove) | add) & 0xFFFFFFFF

    def style_term(self):
        start, line = self.i, self.peek().line if self.peek() else 0
        depth = 0
        while self.peek() is not None and self.peek().line == line:
            tok = self.peek()
            if depth == 0 and tok.text in (',', '|'):
                break
            if tok.kind == 'string' or tok.text in ('BEGIN', 'END', '{', '}', 'NOT'):
                break
            depth += tok.text == '('
            depth -= tok.text == ')'
            self.i += 1
        if self.i == start:
            raise self.error(self.peek() or self.t[-1], 'expected a style')
        return Expression(self.t[start:self.i], self.symbols, line).parse()

    def number_list(self, count):
        values = [self.expression()]
        for _ in range(count - 1):
            self.expect(',')
            values.append(self.expression())
        return values

    # -- statements
    def parse(self):
        while self.peek() is not None:
            tok = self.next()
            if tok.kind == 'directive':
                self.directive(tok)
            elif tok.text == 'LANGUAGE':
                lang, _, sub = self.next().text, self.expect(','), self.next().text
                if (lang, sub) not in LANGUAGES:
                    raise self.error(tok, f'language {lang}, {sub} is not known here')
                self.language = LANGUAGES[(lang, sub)]
            elif tok.text == 'STRINGTABLE':
                self.stringtable()
            else:
                self.resource(tok)

    def directive(self, tok):
        m = re.match(r'#\s*include\s+"([^"]+)"\s*$', tok.text)
        if not m:
            raise self.error(tok, f'directive not understood: {tok.text}')
        header = os.path.join(self.rc_dir, m.group(1))
        self.symbols.read_header(header, f'{self.path}:{tok.line}')
        self.depends.append(header)

    def resource(self, id_tok):
        if id_tok.kind not in ('name', 'number'):
            raise self.error(id_tok, f'statement not understood: {id_tok.text}')
        res_id = Expression([id_tok], self.symbols, id_tok.line).parse()
        kind_tok = self.next()
        handlers = {'ICON': self.icon, 'MENU': self.menu, 'ACCELERATORS': self.accelerators,
                    'DIALOG': self.dialog}
        if kind_tok.text not in handlers:
            raise self.error(kind_tok, f'resource type {kind_tok.text} is not supported')
        if not 0 <= res_id <= 0xFFFF:
            raise self.error(id_tok, f'resource number {res_id} is out of range')
        handlers[kind_tok.text](res_id, id_tok)

    def icon(self, res_id, tok):
        name = self.string()
        path = os.path.join(self.rc_dir, name)
        self.icons.append({'id': res_id, 'file': name, 'path': path, 'line': tok.line})

    def menu(self, res_id, tok):
        items = []
        self.menu_block(items, 0)
        self.menus.append({'id': res_id, 'items': items})

    def menu_block(self, items, level):
        self.begin()
        while not self.at_end_block():
            tok = self.next()
            if tok.text == 'POPUP':
                items.append({'level': level, 'kind': 'Popup', 'text': self.string(), 'id': 0})
                self.no_options(tok)
                self.menu_block(items, level + 1)
            elif tok.text == 'MENUITEM' and self.accept('SEPARATOR'):
                items.append({'level': level, 'kind': 'Separator', 'text': '', 'id': 0})
            elif tok.text == 'MENUITEM':
                text = self.string()
                self.expect(',')
                items.append({'level': level, 'kind': 'Command', 'text': text,
                              'id': self.expression()})
                self.no_options(tok)
            else:
                raise self.error(tok, f'menu statement not understood: {tok.text}')
        self.next()

    def no_options(self, tok):
        if self.peek() is not None and self.peek().text == ',':
            raise self.error(tok, 'menu item options (GRAYED, CHECKED ...) are not supported')

    def accelerators(self, res_id, tok):
        entries = []
        self.begin()
        while not self.at_end_block():
            key_tok = self.next()
            if key_tok.kind == 'string':
                text = unquote(key_tok)
                if len(text) == 2 and text[0] == '^':
                    key = ord(text[1].upper()) - 64
                elif len(text) == 1:
                    key = ord(text)
                else:
                    raise self.error(key_tok, f'accelerator key {key_tok.text} is not one character')
            else:
                self.i -= 1
                key = self.expression()
            self.expect(',')
            command = self.expression()
            flags, ascii_given = [], False
            while self.accept(','):
                flag_tok = self.next()
                if flag_tok.text == 'ASCII':
                    ascii_given = True
                elif flag_tok.text in ACCEL_FLAGS:
                    flags.append(ACCEL_FLAGS[flag_tok.text])
                else:
                    raise self.error(flag_tok, f'accelerator option {flag_tok.text} is not known')
            if ascii_given and 'FVIRTKEY' in flags:
                raise self.error(key_tok, 'an accelerator cannot be both ASCII and VIRTKEY')
            if key_tok.kind == 'string' and 'FVIRTKEY' not in flags and \
                    any(f in flags for f in ('FSHIFT', 'FCONTROL')):
                raise self.error(key_tok, 'SHIFT and CONTROL apply only to VIRTKEY entries')
            entries.append({'key': key, 'cmd': command, 'flags': flags})
        self.next()
        self.accels.append({'id': res_id, 'entries': entries})

    def dialog(self, res_id, tok):
        x, y, cx, cy = self.number_list(4)
        dlg = {'id': res_id, 'rect': (x, y, cx, cy), 'style': None, 'exstyle': 0,
               'caption': None, 'font': None, 'controls': []}
        while not (self.peek() is not None and self.peek().text in ('BEGIN', '{')):
            opt = self.next()
            if opt.text == 'STYLE':
                dlg['style'] = self.style(0)
            elif opt.text == 'EXSTYLE':
                dlg['exstyle'] = self.expression()
            elif opt.text == 'CAPTION':
                dlg['caption'] = self.string()
            elif opt.text == 'FONT':
                size = self.expression()
                self.expect(',')
                dlg['font'] = (size, self.string())
            else:
                raise self.error(opt, f'dialog statement {opt.text} is not supported')
        style = dlg['style'] if dlg['style'] is not None else self.names_value(DIALOG_DEFAULT_STYLE, tok)
        if dlg['caption'] is not None:
            style |= self.symbols.value('WS_CAPTION', tok.line)
        if dlg['font'] is not None:
            style |= self.symbols.value('DS_SETFONT', tok.line)
        dlg['style'] = style
        self.begin()
        while not self.at_end_block():
            dlg['controls'].append(self.control())
        self.next()
        self.dialogs.append(dlg)

    def names_value(self, names, tok):
        v = 0
        for n in names:
            v |= self.symbols.value(n, tok.line)
        return v

    def control(self):
        tok = self.next()
        if tok.text not in CONTROL_KINDS:
            raise self.error(tok, f'dialog control {tok.text} is not supported')
        cls, default_styles = CONTROL_KINDS[tok.text]
        icon = 0
        if tok.text == 'ICON':
            icon_tok = self.peek()
            text = ''
            icon = self.string() if icon_tok.kind == 'string' else self.expression()
            if isinstance(icon, str):
                raise self.error(icon_tok, 'an ICON control must name its icon by number')
        else:
            text = self.string()
        self.expect(',')
        ctl_id = self.expression()
        self.expect(',')
        x, y = self.number_list(2)
        # Width and height (optional for ICON), then the style list and the extended style.
        sizes = []
        while len(sizes) < 2 and self.accept(','):
            sizes.append(self.expression())
        if tok.text != 'ICON' and len(sizes) < 2:
            raise self.error(tok, f'{tok.text} needs x, y, width and height')
        cx, cy = (sizes + [0, 0])[:2]
        style = self.names_value(('WS_CHILD', 'WS_VISIBLE') + default_styles, tok)
        exstyle = 0
        if self.accept(','):
            style = self.style(style)
            if self.accept(','):
                exstyle = self.expression()
        if self.peek() is not None and self.peek().text == ',':
            raise self.error(tok, f'too many values for {tok.text}')
        return {'class': cls, 'text': text, 'icon': icon, 'id': ctl_id, 'rect': (x, y, cx, cy),
                'style': style & 0xFFFFFFFF, 'exstyle': exstyle, 'statement': tok.text}

    def stringtable(self):
        self.begin()
        while not self.at_end_block():
            str_id = self.expression()
            self.accept(',')
            self.strings.append({'id': str_id, 'text': self.string()})
        self.next()


# ---------------------------------------------------------------- icons

def read_icon(icon, allow_missing):
    try:
        with open(icon['path'], 'rb') as f:
            data = f.read()
    except OSError:
        if allow_missing:
            print(f"rc_compile: warning: icon file {icon['path']} is missing; icon {icon['id']} "
                  "will have no images", file=sys.stderr)
            return b'', []
        raise RcError(f"line {icon['line']}: icon file {icon['path']} cannot be read")
    if len(data) < 6 or data[0:4] != b'\0\0\1\0':
        raise RcError(f"{icon['path']}: not an icon file (bad header)")
    count = int.from_bytes(data[4:6], 'little')
    if count == 0 or len(data) < 6 + 16 * count:
        raise RcError(f"{icon['path']}: icon directory is empty or cut short")
    images = []
    for k in range(count):
        e = data[6 + 16 * k: 22 + 16 * k]
        size = int.from_bytes(e[8:12], 'little')
        offset = int.from_bytes(e[12:16], 'little')
        if offset + size > len(data):
            raise RcError(f"{icon['path']}: image {k} lies outside the file")
        images.append({'width': e[0] or 256, 'height': e[1] or 256, 'colors': e[2],
                       'bits': int.from_bytes(e[6:8], 'little')})
    return data, images


# ---------------------------------------------------------------- output

def c_string(s):
    out = []
    for ch in s.encode('latin-1'):
        if ch in (0x22, 0x5C):
            out.append('\\' + chr(ch))
        elif 0x20 <= ch < 0x7F and ch != 0x3F:  # '?' escaped: no trigraph surprises
            out.append(chr(ch))
        else:
            out.append(f'\\{ch:03o}')
    return '"' + ''.join(out) + '"'


def check_unique(kind, items):
    seen = set()
    for it in items:
        if it['id'] in seen:
            raise RcError(f"{kind} {it['id']} is defined twice")
        seen.add(it['id'])


def emit(p, allow_missing):
    for kind, items in (('icon', p.icons), ('menu', p.menus), ('accelerator table', p.accels),
                        ('dialog', p.dialogs), ('string', p.strings)):
        check_unique(kind, items)
    out = ['// Generated by platform/rc/rc_compile.py from the resource script. Do not edit.',
           '#include "platform/common/resource_tables.h"', '',
           'namespace qv::rc {', 'namespace {']
    for m in p.menus:
        out.append(f"const MenuItem menu{m['id']}[] = {{")
        for it in m['items']:
            out.append(f"    {{{it['level']}, MenuItemKind::{it['kind']}, {c_string(it['text'])}, "
                       f"{it['id'] & 0xFFFF}}},")
        out.append('};')
    for a in p.accels:
        out.append(f"const AccelEntry accel{a['id']}[] = {{")
        for e in a['entries']:
            flags = ' | '.join(e['flags']) or '0'
            out.append(f"    {{static_cast<BYTE>({flags}), {e['key']}, {e['cmd'] & 0xFFFF}}},")
        out.append('};')
    for d in p.dialogs:
        out.append(f"const DialogControl dialog{d['id']}Controls[] = {{")
        for c in d['controls']:
            x, y, cx, cy = c['rect']
            out.append(f"    {{{c_string(c['statement'])}, {c_string(c['class'])}, "
                       f"{c_string(c['text'])}, {c['icon']}, {c['id']}, {x}, {y}, {cx}, {cy}, "
                       f"0x{c['style']:08X}u, 0x{c['exstyle'] & 0xFFFFFFFF:08X}u}},")
        out.append('};')
    for ic in p.icons:
        data, images = read_icon(ic, allow_missing)
        ic['images'] = images
        body = ', '.join(str(b) for b in data) or '0'
        out.append(f"const unsigned char icon{ic['id']}Bytes[] = {{{body}}};")
        out.append(f"const IconImage icon{ic['id']}Images[] = {{")
        for im in images or [{'width': 0, 'height': 0, 'colors': 0, 'bits': 0}]:
            out.append(f"    {{{im['width']}, {im['height']}, {im['colors']}, {im['bits']}}},")
        out.append('};')
        ic['size'] = len(data)
    out.append('')
    out.append('const Menu menus[] = {')
    for m in p.menus:
        out.append(f"    {{{m['id']}, menu{m['id']}, {len(m['items'])}}},")
    out.append('};')
    out.append('const AccelTable accelTables[] = {')
    for a in p.accels:
        out.append(f"    {{{a['id']}, accel{a['id']}, {len(a['entries'])}}},")
    out.append('};')
    out.append('const DialogTemplate dialogs[] = {')
    for d in p.dialogs:
        x, y, cx, cy = d['rect']
        size, face = d['font'] if d['font'] else (0, '')
        caption = c_string(d['caption'] or '')
        out.append(f"    {{{d['id']}, 0x{d['style'] & 0xFFFFFFFF:08X}u, 0x{d['exstyle']:08X}u, "
                   f"{x}, {y}, {cx}, {cy}, {caption}, {size}, {c_string(face)}, "
                   f"dialog{d['id']}Controls, {len(d['controls'])}}},")
    out.append('};')
    out.append('const StringEntry strings[] = {')
    for s in p.strings:
        out.append(f"    {{{s['id']}, {c_string(s['text'])}}},")
    out.append('};')
    out.append('const IconGroup icons[] = {')
    for ic in p.icons:
        out.append(f"    {{{ic['id']}, {c_string(ic['file'])}, icon{ic['id']}Bytes, {ic['size']}, "
                   f"icon{ic['id']}Images, {len(ic['images'])}}},")
    out.append('};')
    out.append('}  // namespace')
    out.append('')

    def span(name, items):
        return f'{{{name}, {len(items)}}}' if items else '{nullptr, 0}'

    out.append('const ResourceTables& resources() {')
    out.append(f'    static const ResourceTables tables{{0x{p.language:04X}, {span("menus", p.menus)}, '
               f'{span("accelTables", p.accels)}, {span("dialogs", p.dialogs)}, '
               f'{span("strings", p.strings)}, {span("icons", p.icons)}}};')
    out.append('    return tables;')
    out.append('}')
    out.append('}  // namespace qv::rc')
    return '\n'.join(out) + '\n'


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--rc', required=True)
    ap.add_argument('--win32-header', required=True)
    ap.add_argument('--output', required=True)
    ap.add_argument('--depfile')
    ap.add_argument('--allow-missing-icons', action='store_true')
    args = ap.parse_args()
    try:
        try:
            with open(args.rc, encoding='latin-1') as f:
                text = f.read()
        except OSError as e:
            raise RcError(f'cannot read {args.rc}: {e.strerror}')
        symbols = Symbols()
        symbols.read_header(args.win32_header, 'rc_compile')
        for name in ('IDOK', 'IDCANCEL'):
            symbols.raw.setdefault(name, {'IDOK': '1', 'IDCANCEL': '2'}[name])
        parser = Parser(tokenize(text, args.rc), symbols, os.path.dirname(args.rc), args.rc)
        parser.parse()
        source = emit(parser, args.allow_missing_icons)
    except RcError as e:
        print(f'rc_compile: error: {e}', file=sys.stderr)
        return 1
    with open(args.output, 'w', encoding='ascii') as f:
        f.write(source)
    if args.depfile:
        deps = [args.rc, args.win32_header] + parser.depends + \
            [ic['path'] for ic in parser.icons if os.path.exists(ic['path'])]
        with open(args.depfile, 'w', encoding='utf-8') as f:
            f.write(args.output.replace(' ', '\\ ') + ': ' +
                    ' '.join(os.path.abspath(d).replace(' ', '\\ ') for d in deps) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
