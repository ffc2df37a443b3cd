#!/usr/bin/env bash
# scripts/mutate on a scratch tree: a tiny source, a test that pins one
# function and leaves another dead. The pinned `<` -> `<=` must be caught, the
# dead `>` -> `>=` must survive, a hang counts as caught, and the source is the
# same bytes after every run, Ctrl+C and a leftover backup included.
set -euo pipefail
mutate=$1
cxx=${2:-c++}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
cat > tiny.cpp <<'CPP'
#include <vector>
// Below(a < b) in a comment is no code, nor "a < b" in a string
const char* kNote = "a < b";
const char kLess = '<';
bool Below(int v, int top) { return v < top; }
bool Unused(int v) { return v > 100; }  // nothing calls it
int Twice(const std::vector<int>& xs) { return xs.empty() ? 0 : static_cast<int>(xs[0]) << 1; }
CPP
printf 'bool Below(int, int);\nint main() { return Below(3, 3) ? 1 : 0; }\n' > t.cpp
cp tiny.cpp pristine
fail() { echo "FAIL: $*"; exit 1; }
same() { cmp -s tiny.cpp pristine || fail "tiny.cpp changed after $1"; }
common=(--root "$dir" --files tiny.cpp --ops compare --count 2 --seed 1 --build-cmd "$cxx -o t tiny.cpp t.cpp")
run() { "$mutate" "${common[@]}" "$@"; }

# Only the two comparisons are code: not the include, comment, string,
# character, template brackets or the shift.
list=$(run --list --test-cmd ./t)
[[ $list == *"2 of 2 mutants"* && $list == *"return v <= top"* && $list == *"return v >= 100"* ]] ||
  fail "listed: $list"

out=$(run --test-cmd ./t)
same "a run"
grep -qE '^\[1/2\] caught +tiny.cpp:5: .*return v <= top' <<<"$out" || fail "not caught: $out"
grep -qE '^\[2/2\] SURVIVED +tiny.cpp:6: .*return v >= 100' <<<"$out" || fail "not survived: $out"
grep -qF -- '+bool Unused(int v) { return v >= 100; }' <<<"$out" || fail "no diff: $out"
grep -qF 'score: 1 of 2 mutants that built were caught (50%)' <<<"$out" || fail "score: $out"

echo 'tiny.cpp:6: bool Unused(int v) { return v > 100; } // nothing calls it => bool Unused(int v) { return v >= 100; } // nothing calls it  # dead code' > equivalents
grep -qF '1 of 1 mutants of 1 file(s), seed 1; 1 skipped as equivalent' <<<"$(run --list --test-cmd ./t --equivalents equivalents)" ||
  fail "equivalent mutant not skipped"

# A test that outlives --timeout is a catch: the mutant made it hang.
out=$(run --no-baseline --timeout 1 --test-cmd 'sleep 5')
[[ $(grep -c '] caught .*hung' <<<"$out") == 2 ]] || fail "hang not caught: $out"
same "hung tests"

# Ctrl+C while a mutant is built puts the original back.
"$mutate" "${common[@]}" --no-baseline --test-cmd 'sleep 30' >/dev/null 2>&1 & pid=$!
for _ in $(seq 100); do [[ -f build/mutate/backup/tiny.cpp ]] && break; sleep 0.1; done
[[ -f build/mutate/backup/tiny.cpp ]] && ! cmp -s tiny.cpp pristine || fail "no mutant planted"
kill -INT $pid
status=0; wait $pid || status=$?
[[ $status == 130 ]] || fail "interrupted run exited $status"
same "Ctrl+C"
[[ -z $(ls build/mutate/backup) ]] || fail "backup left behind"

# A backup left by a killed run stops the next one until --restore.
mkdir -p build/mutate/backup && cp pristine build/mutate/backup/tiny.cpp && echo broken > tiny.cpp
status=0; err=$(run --test-cmd ./t 2>&1) || status=$?
[[ $status == 2 && $err == *"--restore"* && $(cat tiny.cpp) == broken ]] || fail "leftover backup ignored: $err"
"$mutate" --root "$dir" --restore >/dev/null
same "--restore"
echo "mutate: 7 checks passed"
