# bash completion for forgeline-cli. MCU and module captions come from the
# KeyFiles the command line points at, through forgeline-cli itself, so they
# are always the captions the wizard shows.
#
# A caption is text from a file anyone may hand out, so here it is only ever
# data: it is read line by line, compared as a literal prefix, quoted for the
# spot it is inserted at, and never goes through eval, compgen -W or an
# unquoted expansion.

# _forgeline_cli_split: the command line up to the cursor, read as bash will
# read it. Sets words (every word with its quoting removed; the last one is
# the word being completed), quote (the quote still open at the cursor) and
# lead (how much of the last word readline keeps: what comes before that open
# quote, or up to its last unquoted word-break character).
_forgeline_cli_split() {
  local LC_ALL=C # COMP_POINT counts bytes
  local line=${COMP_LINE:0:COMP_POINT} word="" started="" opened="" broken="" c i
  words=() quote=""
  for ((i = 0; i < ${#line}; i++)); do
    c=${line:i:1}
    if [[ -n $quote ]]; then
      if [[ $c == "$quote" ]]; then
        quote=""
      elif [[ $quote == '"' && $c == '\' && ${line:i+1:1} == [\"\\\$\`] ]]; then
        word+=${line:i+1:1}
        ((i++))
      else
        word+=$c
      fi
      continue
    fi
    case $c in
      [[:blank:]] | $'\n')
        [[ -n $started ]] && words+=("$word")
        word="" started="" broken=""
        continue
        ;;
      \\) word+=${line:i+1:1}; ((i++)) ;;
      [\'\"]) quote=$c opened=$word ;;
      *)
        word+=$c
        [[ $COMP_WORDBREAKS == *"$c"* ]] && broken=$word
        ;;
    esac
    started=1
  done
  words+=("$word")
  if [[ -n $quote ]]; then lead=$opened; else lead=$broken; fi
}

# _forgeline_cli_quote TEXT: sets text to TEXT as it is typed at the cursor,
# inside the open quote or outside any, so that bash reads it back unchanged.
# Inside quotes, a quote or ! is written between a closing and a reopening
# quote. Readline adds the closing quote of a single choice unless the text
# already ends with that character, so a text ending in a reopened quote
# closes it here.
_forgeline_cli_quote() {
  local rest=$1 c
  if [[ -z $quote ]]; then
    printf -v text %q "$rest"
    # %q writes control bytes as $'...', a quoting readline does not know:
    # it would see an open quote in it.
    [[ $text != \$\'* ]] && return
  fi
  text=""
  while [[ -n $rest ]]; do
    c=${rest:0:1} rest=${rest:1}
    if [[ -z $quote ]]; then
      [[ $c == [[:alnum:]_./-] ]] || text+='\'
    elif [[ $c == "'" && $quote == "'" || $c == [\"!] && $quote == '"' ]]; then
      c=$quote\\$c$quote
    elif [[ $quote == '"' && $c == [\$\`\\] ]]; then
      text+='\'
    fi
    text+=$c
  done
  if [[ -n $quote && $text == *"$quote" ]]; then text+=$quote; fi
}

# _forgeline_cli_offer CHOICE...: COMPREPLY gets each choice that begins with
# the word being completed, as the text that replaces readline's part of it.
_forgeline_cli_offer() {
  local choice text
  for choice; do
    [[ $choice == "$cur"* ]] || continue
    _forgeline_cli_quote "${choice#"$lead"}"
    COMPREPLY+=("$text")
  done
}

# _forgeline_cli_ask ARGS...: the lines forgeline-cli prints for ARGS, run
# with the -C folders typed so far, one by one into the array lines.
_forgeline_cli_ask() {
  mapfile -t lines < <("$program" "${dirs[@]}" "$@" 2>/dev/null)
}

# _forgeline_cli_mcus: the MCU captions, from "INDEX<TAB>CAPTION<TAB>FILE".
_forgeline_cli_mcus() {
  local -a lines
  local line
  _forgeline_cli_ask list
  for line in "${lines[@]}"; do
    line=${line#*$'\t'}
    choices+=("${line%$'\t'*}")
  done
}

# _forgeline_cli_modules: the boxes of the MCU a click may go to, from
# "INDEX<TAB>CAPTION<TAB>x or -<TAB>enabled".
_forgeline_cli_modules() {
  local -a lines
  local line
  _forgeline_cli_ask show "$mcu"
  for line in "${lines[@]}"; do
    [[ $line == [0-9]*$'\t'*$'\t'[x-]$'\t'enabled ]] || continue
    line=${line#*$'\t'}
    choices+=("$given${line%$'\t'*$'\t'*}")
  done
}

_forgeline_cli() {
  local -a words choices=() dirs=()
  local quote lead
  _forgeline_cli_split
  local n=${#words[@]}
  local program=${words[0]} cur=${words[n - 1]} prev=""
  ((n > 1)) && prev=${words[n - 2]}
  local command="" mcu="" ended="" i word
  for ((i = 1; i < n - 1; i++)); do
    word=${words[i]}
    if [[ -n $ended || $word != -* ]]; then
      if [[ -z $command ]]; then command=$word
      elif [[ -z $mcu ]]; then mcu=$word
      fi
      continue
    fi
    case $word in
      --) ended=1 ;;
      -C) dirs+=(-C "${words[i + 1]}"); ((i++)) ;;
      -C*) dirs+=("$word") ;;
      --click | --unclick | --name | --date | --print | --format) ((i++)) ;;
    esac
  done

  # A value typed as --opt=VALUE is completed like the word after --opt.
  local given=""
  if [[ -z $ended && $cur == --*=* ]]; then
    prev=${cur%%=*} given=${cur%%=*}=
  fi
  COMPREPLY=()
  case $prev in
    -C) compopt -o dirnames 2>/dev/null; return ;;
    --name | --print | --unclick) return ;;
    --date) _forgeline_cli_offer "$given$(date +%Y-%m-%d)"; return ;;
    --format)
      if [[ $command == check ]]; then
        _forgeline_cli_offer "${given}gcc" "${given}sarif"
      else
        _forgeline_cli_offer "${given}text" "${given}json"
      fi
      return
      ;;
    --click)
      [[ -n $mcu && $command != update ]] && _forgeline_cli_modules
      _forgeline_cli_offer "${choices[@]}"
      return
      ;;
  esac
  if [[ $cur == -* && -z $ended ]]; then
    case $command in
      show) choices=(--click --format --help) ;;
      build) choices=(--click --name --date --no-record --dry-run --print -q --quiet --help) ;;
      update) choices=(--click --unclick --dry-run --help) ;;
      check) choices=(--format -q --quiet --help) ;;
      list) choices=(--format --help) ;;
      help) choices=(--help) ;;
      *) choices=(-C -h --help --version) ;;
    esac
  elif [[ -z $command ]]; then
    choices=(list show build check update help)
  elif [[ $command == help && -z $mcu ]]; then
    choices=(list show build check update)
  elif [[ ($command == show || $command == build) && -z $mcu ]]; then
    _forgeline_cli_mcus
  elif [[ $command == update && -z $mcu ]]; then
    compopt -o dirnames 2>/dev/null
    return
  elif [[ $command == check ]]; then
    compopt -o default 2>/dev/null
    return
  fi
  _forgeline_cli_offer "${choices[@]}"
}
complete -F _forgeline_cli forgeline-cli
