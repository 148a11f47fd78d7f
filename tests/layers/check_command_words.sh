#!/usr/bin/env bash
# check_command_words.sh SRC: the modules call each other through typed
# functions, never through a command procedure and its words. Fails, naming
# file:line, when a file of src/ outside a module's folder
#  - names one of the module's command procedures, or
#  - passes, anywhere inside the parentheses of a call, a string literal
#    that equals one of the module's command words (letters a-z folded to
#    upper case, as the procedures' lookup folds them).
# The words are read from the module's own word table, so a word added there
# is checked at once. A literal outside any call (a word table, a variable's
# first value) is not a call's argument and passes; so do comments.
set -u
src="${1%/}"
[ -d "$src" ] || { echo "no folder $src"; exit 2; }

# Each module: its folder, the file of its word table (relative to src/)
# and its command procedures. A module with several procedures in several
# files has a row per table.
modules='
images images/bilder.cpp Bilder
windows windows/fenster.cpp Fenster
scene scene/objekt.cpp Objekt
scene scene/figur.cpp Figur
sound sound/musik.cpp Musik
panels panels/parts.h KopfFenster AnzeigeFensterUnten AnzeigeHilfe1 AnzeigeHilfe2 AnzeigeHilfe3 AnzeigeStartFussFenster
'

# "folder WORD" for every entry {"WORD", ...} of every word table.
words=''
while read -r folder table procedures; do
  [ -n "$folder" ] || continue
  [ -f "$src/$table" ] || { echo "no word table $src/$table"; exit 2; }
  found=$(sed -nE 's/^[[:space:]]*\{"([A-Z0-9]+)",.*/\1/p' "$src/$table")
  [ -n "$found" ] || { echo "$table: no command words found in its table"; exit 2; }
  for w in $found; do words+="$folder $w"$'\n'; done
done <<< "$modules"

find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
  xargs -0 awk -v q="'" -v src="$src/" -v modules="$modules" -v words="$words" '
    BEGIN {
      n = split(modules, rows, "\n")
      for (i = 1; i <= n; ++i) {
        m = split(rows[i], w, " ")
        for (j = 3; j <= m; ++j) procFolder[w[j]] = w[1]
      }
      n = split(words, rows, "\n")
      for (i = 1; i <= n; ++i) {
        if (split(rows[i], w, " ") != 2) continue
        if (index(wordFolders[w[2]] " ", " " w[1] " ") == 0) {
          wordFolders[w[2]] = wordFolders[w[2]] " " w[1]
        }
      }
      fail = 0
    }
    FNR == 1 && NR > 1 { Scan(file, text) }
    FNR == 1 { file = substr(FILENAME, length(src) + 1); text = "" }
    { text = text $0 "\n" }
    END {
      if (NR > 0) Scan(file, text)
      exit fail
    }

    function IsWordChar(c) { return c ~ /[A-Za-z0-9_]/ }

    # Reports an identifier that names a command procedure of another folder.
    function CheckName(name, line) {
      if ((name in procFolder) && procFolder[name] != folder) {
        print file ":" line ": names " name ", a command procedure of src/" procFolder[name] \
              "; call its typed functions"
        fail = 1
      }
    }

    # Reports a literal inside a call that is a command word of another folder.
    function CheckLiteral(literal, line,   upper, owners, k, m, o) {
      if (depth == 0) return
      upper = toupper(literal)
      if (!(upper in wordFolders)) return
      m = split(wordFolders[upper], o, " ")
      owners = ""
      for (k = 1; k <= m; ++k) if (o[k] != folder) owners = owners " src/" o[k]
      if (owners == "") return
      print file ":" line ": passes \"" literal "\", a command word of" owners \
            ", to " (callee[depth] == "" ? "a call" : callee[depth]) "; call the typed functions"
      fail = 1
    }

    # One pass over a file: skips comments, character literals and the
    # preprocessor lines, reads identifiers and string literals, and keeps
    # the stack of open parentheses with the name before each.
    function Scan(file, text,   len, i, c, d, line, token, tokenLine, lastName, start, lit, litLine, delim, closer, slash, atLineStart) {
      slash = index(file, "/")
      if (slash == 0) return  # a file directly in src/ belongs to no module
      folder = substr(file, 1, slash - 1)
      len = length(text)
      line = 1
      depth = 0
      atLineStart = 1
      token = ""
      lastName = ""
      i = 1
      while (i <= len) {
        c = substr(text, i, 1)
        if (IsWordChar(c)) {
          atLineStart = 0
          if (token == "") tokenLine = line
          token = token c
          ++i
          continue
        }
        if (token != "") {
          if (token !~ /^[0-9]/) CheckName(token, tokenLine)
          lastName = token
          if (c == "\"" && token ~ /^(u8|u|U|L)?R$/) {
            # A raw string: R"delim( ... )delim".
            start = i + 1
            d = index(substr(text, start), "(")
            delim = substr(text, start, d - 1)
            closer = ")" delim "\""
            d = index(substr(text, start + length(delim) + 1), closer)
            if (d == 0) d = len
            lit = substr(text, start + length(delim) + 1, d - 1)
            litLine = line
            line += gsub(/\n/, "", lit)
            CheckLiteral(lit, litLine)
            i = start + length(delim) + d + length(closer)
            token = ""
            lastName = ""
            continue
          }
          token = ""
        }
        if (c == "\n") {
          ++line
          ++i
          atLineStart = 1
          continue
        }
        if (c == " " || c == "\t" || c == "\r") {
          ++i
          continue
        }
        if (c == "/" && substr(text, i + 1, 1) == "/") {
          while (i <= len && substr(text, i, 1) != "\n") ++i
          continue
        }
        if (c == "/" && substr(text, i + 1, 1) == "*") {
          i += 2
          while (i <= len && substr(text, i, 2) != "*/") {
            if (substr(text, i, 1) == "\n") ++line
            ++i
          }
          i += 2
          continue
        }
        if (c == "#" && atLineStart) {
          # A preprocessor line (continued lines included): no call in it.
          while (i <= len) {
            c = substr(text, i, 1)
            if (c == "\\" && substr(text, i + 1, 1) == "\n") { ++line; i += 2; continue }
            if (c == "\n") break
            ++i
          }
          continue
        }
        if (c == q) {
          atLineStart = 0
          ++i
          while (i <= len && substr(text, i, 1) != q) i += (substr(text, i, 1) == "\\") ? 2 : 1
          ++i
          lastName = ""
          continue
        }
        if (c == "\"") {
          atLineStart = 0
          litLine = line
          lit = ""
          ++i
          while (i <= len && (c = substr(text, i, 1)) != "\"" && c != "\n") {
            if (c == "\\") { lit = lit substr(text, i, 2); i += 2; continue }
            lit = lit c
            ++i
          }
          ++i
          CheckLiteral(lit, litLine)
          lastName = ""
          continue
        }
        atLineStart = 0
        if (c == "(") {
          callee[++depth] = lastName
        } else if (c == ")") {
          if (depth > 0) --depth
        }
        lastName = ""
        ++i
      }
    }'
# xargs answers 123 when a run of awk failed.
[ $? -eq 0 ] || exit 1
