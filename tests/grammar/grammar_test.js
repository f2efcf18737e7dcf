// Tokenises Vendrix macros with the editor grammar (editors/vscode) through
// the same TextMate engine the editor uses, and checks the scopes:
//   - hand-checked lines: each listed fragment carries (or must not carry)
//     a scope;
//   - every statement keyword and function name of the program's own tables
//     is coloured as one;
//   - every shipped sample and every macro in the documentation tokenises
//     with no "invalid" scope, and each line's statement keyword is coloured.
// Ends with "N passed, N failed"; the exit status is 1 when anything failed.
'use strict';

const fs = require('fs');
const path = require('path');
const oniguruma = require('vscode-oniguruma');
const textmate = require('vscode-textmate');

const root = path.resolve(__dirname, '..', '..');
const grammarPath = path.join(root, 'editors', 'vscode', 'syntaxes', 'vendrix.tmLanguage.json');

let passed = 0;
let failed = 0;
function check(ok, label, detail) {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAIL ${label}${detail ? ': ' + detail : ''}`);
  }
}

async function loadGrammar() {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async (scopeName) =>
      scopeName === 'source.vendrix'
        ? textmate.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath)
        : null,
  });
  return registry.loadGrammar('source.vendrix');
}

// The tokens of each line: {text, scopes}.
function tokenize(grammar, text) {
  let state = textmate.INITIAL;
  return text.split(/\r\n|\r|\n/).map((line) => {
    const result = grammar.tokenizeLine(line, state);
    state = result.ruleStack;
    return result.tokens.map((t) => ({ text: line.slice(t.startIndex, t.endIndex), scopes: t.scopes }));
  });
}

// The scopes at the first occurrence of `fragment` in the line (every
// token it overlaps must carry the scope for the fragment to carry it).
function fragmentScopes(tokens, line, fragment) {
  const start = line.indexOf(fragment);
  if (start < 0) return null;
  const end = start + fragment.length;
  let offset = 0;
  const covering = [];
  for (const token of tokens) {
    const tokenEnd = offset + token.text.length;
    if (tokenEnd > start && offset < end) covering.push(token.scopes);
    offset = tokenEnd;
  }
  return covering;
}

function carries(scopes, name) {
  return scopes.some((scope) => scope === name || scope.startsWith(name + '.'));
}

// Hand-checked lines: [line, [[fragment, scope], ...], [[fragment, scope not expected], ...]].
const CASES = [
  ['; a comment', [['; a comment', 'comment.line.semicolon']], []],
  ['KEY abc [ENTER]', [['KEY', 'keyword.other.statement'], ['[ENTER]', 'constant.other.key']],
    [['abc', 'keyword']]],
  ['key [shift]++ a [Shift]--', [['key', 'keyword.other.statement'], ['[shift]++', 'constant.other.key'],
    ['[Shift]--', 'constant.other.key']], []],
  ['__lclick 100,200', [['lclick', 'keyword.other.statement'], ['100', 'constant.numeric'],
    ['200', 'constant.numeric']], []],
  ['KEY [ENTR]', [['[ENTR]', 'invalid.illegal.key']], []],
  ['KEY [OEM-186]', [['[OEM-186]', 'constant.other.key']], []],
  ['KEY [Semicolon]', [['[Semicolon]', 'constant.other.key']], []],
  ['MESSAGE %a "one;;two" ; note', [['"one;;two"', 'string.quoted.double'], [';;', 'constant.character.escape'],
    ['; note', 'comment.line.semicolon'], ['%a', 'variable.other']], [['two', 'comment']]],
  ['MESSAGE %a "cut; here"', [['"cut', 'string.quoted.double'], ['; here"', 'comment.line.semicolon']], []],
  ['SET %s "say ""hi""\\n"', [['""', 'constant.character.escape'], ['\\n', 'constant.character.escape']], []],
  [':loop', [[':loop', 'entity.name.label']], []],
  [':a label with spaces', [[':a label with spaces', 'entity.name.label']], []],
  ['GOTO :loop', [['GOTO', 'keyword.control']], [[':loop', 'entity.name.label']]],
  ['IF (= %a 1) THEN', [['IF', 'keyword.control'], ['THEN', 'keyword.control'], ['=', 'keyword.operator'],
    ['%a', 'variable.other']], []],
  ['IF (and (= %a "x)") (> %b 2)) GOTO :done', [['GOTO', 'keyword.control'], ['and', 'keyword.operator'],
    ['"x)"', 'string.quoted.double']], []],
  ['UNLESS %flag KEY then', [['KEY', 'keyword.other.statement']], [['then', 'keyword']]],
  ['IF (= %a 1) KEY set', [['KEY', 'keyword.other.statement']], [['set', 'keyword']]],
  ['ELSEIF (> %n 3)', [['ELSEIF', 'keyword.control'], ['>', 'keyword.operator']], []],
  ['FOR %i=1 TO %n STEP -2', [['FOR', 'keyword.control'], ['TO', 'keyword.control'], ['STEP', 'keyword.control'],
    ['-2', 'constant.numeric'], ['%i', 'variable.other']], []],
  ['NEXT', [['NEXT', 'keyword.control']], []],
  ['DIM %a %list[3]', [['DIM', 'keyword.other.loader'], ['%list[3]', 'variable.other']], []],
  ['INCLUDE "common.mac"', [['INCLUDE', 'keyword.other.loader'], ['"common.mac"', 'string.quoted.double']], []],
  ['SET %t (& (date "yyyy/mm/dd") " " %0)', [['date', 'support.function.builtin'], ['&', 'keyword.operator'],
    ['%0', 'variable.language']], []],
  ['SET %w (find-window "無題 - メモ帳")', [['find-window', 'support.function.builtin'],
    ['"無題 - メモ帳"', 'string.quoted.double']], []],
  ['SET %x (lenn %s)', [['lenn', 'invalid.illegal.unknown-function']], []],
  ['SET %q %capturejpg', [['%capturejpg', 'variable.language']], []],
  ['EXEC notepad.exe TRUE', [['EXEC', 'keyword.other.statement'], ['TRUE', 'constant.language']], []],
  ['ACTIVATE-WINDOW "無題 - メモ帳"', [['ACTIVATE-WINDOW', 'keyword.other.statement']], []],
  ['SET-IME TRUE', [['SET-IME', 'keyword.other.statement']], []],
  ['hotkey=[F5] CTRL ALT insert date', [['hotkey', 'keyword.other.hotkey'], ['[F5]', 'constant.other.key'],
    ['CTRL', 'storage.modifier'], ['ALT', 'storage.modifier']], []],
  ['ENDIF', [['ENDIF', 'keyword.control']], []],
  ['ENDING', [], [['ENDING', 'keyword']]],
  ['(inputbox "t" "p" "")', [['inputbox', 'support.function.builtin']], []],
];

function runCases(grammar) {
  for (const [line, wanted, unwanted] of CASES) {
    const tokens = tokenize(grammar, line)[0];
    for (const [fragment, scope] of wanted) {
      const covering = fragmentScopes(tokens, line, fragment);
      check(covering !== null && covering.length > 0 && covering.every((s) => carries(s, scope)),
        `${JSON.stringify(line)}: ${JSON.stringify(fragment)} is ${scope}`,
        covering && JSON.stringify(covering.map((s) => s.slice(1))));
    }
    for (const [fragment, scope] of unwanted) {
      const covering = fragmentScopes(tokens, line, fragment) || [];
      check(covering.every((s) => !carries(s, scope)),
        `${JSON.stringify(line)}: ${JSON.stringify(fragment)} is not ${scope}`,
        JSON.stringify(covering.map((s) => s.slice(1))));
    }
  }
}

// Every file below `dir` whose name passes `keep`.
function filesBelow(dir, keep) {
  const out = [];
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) out.push(...filesBelow(full, keep));
    else if (keep(entry.name)) out.push(full);
  }
  return out;
}

// The statement keywords and function names of the program's own tables,
// found wherever in src/ the tables are defined.
function programNames() {
  const sources = filesBelow(path.join(root, 'src'), (name) => name.endsWith('.cc'))
    .map((file) => fs.readFileSync(file, 'utf8'))
    .join('\n');
  // A handler is Stmt… or a template instance of one (GoOnAfter<StmtSet>).
  const statements = [...sources.matchAll(/\{"([A-Z][A-Z-]*)",\s*(?:\w+<)?Stmt\w+>?\}/g)].map((m) => m[1]);
  // A function answering an integer names its handler first: Integer<FnLen>("len").
  const functions = [...sources.matchAll(/\b(?:Fixed|Variadic|Source|Integer<\w+>)\("([^"]+)"/g)].map((m) => m[1]);
  return { statements: [...new Set(statements)], functions: [...new Set(functions)] };
}

function runProgramNames(grammar) {
  const { statements, functions } = programNames();
  check(statements.length >= 60, 'the statement table was found in src/', `${statements.length} keywords`);
  check(functions.length >= 67, 'the function table was found in src/', `${functions.length} names`);
  for (const keyword of statements) {
    for (const written of [keyword, keyword.toLowerCase(), '__' + keyword]) {
      const line = `${written} x`;
      const covering = fragmentScopes(tokenize(grammar, line)[0], line, keyword.length === written.length
        ? written : written.slice(2));
      check(covering.length > 0 && covering.every((s) => carries(s, 'keyword')), `keyword ${written} is coloured`,
        JSON.stringify(covering.map((s) => s.slice(1))));
    }
  }
  for (const name of functions) {
    const line = `SET %v (${name} 1 2)`;
    const covering = fragmentScopes(tokenize(grammar, line)[0], line, `(${name}`.slice(1));
    check(covering.length > 0 &&
          covering.every((s) => carries(s, 'support.function.builtin') || carries(s, 'keyword.operator')),
          `function ${name} is coloured`, JSON.stringify(covering.map((s) => s.slice(1))));
  }
  return statements;
}

// Macros as people see them: the samples (Shift-JIS) and the fenced macro
// blocks of the documentation (UTF-8).
function shippedMacros() {
  const decoder = new TextDecoder('shift_jis');
  // The samples must be free of mistakes; the documentation also shows
  // mistakes on purpose (unknown keys and functions with their errors).
  const macros = filesBelow(path.join(root, 'examples'), (name) => /\.(mac|hot)$/i.test(name))
    .map((file) => ({ name: path.relative(root, file), text: decoder.decode(fs.readFileSync(file)), strict: true }));
  const docs = filesBelow(path.join(root, 'docs'), (name) => name.endsWith('.md'));
  for (const file of docs) {
    const text = fs.readFileSync(file, 'utf8');
    let index = 0;
    for (const match of text.matchAll(/```(?:vendrix|mac)\n([\s\S]*?)```/g)) {
      macros.push({ name: `${path.relative(root, file)} block ${++index}`, text: match[1], strict: false });
    }
  }
  return macros;
}

function runShipped(grammar, statements) {
  const known = new Set(statements.concat(['DIM', 'INCLUDE', 'ELSE', 'ENDIF']));
  const macros = shippedMacros();
  check(macros.length > 0, 'samples were found');
  for (const macro of macros) {
    const lines = macro.text.split(/\r\n|\r|\n/);
    const tokenized = tokenize(grammar, macro.text);
    const problems = [];
    lines.forEach((line, i) => {
      for (const token of tokenized[i]) {
        if (macro.strict && token.scopes.some((s) => s.startsWith('invalid'))) {
          problems.push(`line ${i + 1}: ${token.text} is invalid`);
        }
      }
      const word = line.trim().split(' ')[0].toUpperCase().replace(/^__/, '');
      if (known.has(word)) {
        const covering = fragmentScopes(tokenized[i], line, line.trim().split(' ')[0]);
        if (!covering.every((s) => carries(s, 'keyword'))) problems.push(`line ${i + 1}: ${word} is not a keyword`);
      }
    });
    check(problems.length === 0, `${macro.name} tokenises cleanly`, problems.slice(0, 5).join('; '));
  }
}

(async () => {
  const grammar = await loadGrammar();
  runCases(grammar);
  const statements = runProgramNames(grammar);
  runShipped(grammar, statements);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.log(`grammar test could not run: ${error.stack || error}`);
  console.log(`${passed} passed, ${failed + 1} failed`);
  process.exit(1);
});
