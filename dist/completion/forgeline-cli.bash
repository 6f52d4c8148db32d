# bash completion for forgeline-cli. MCU and module captions come from the
# KeyFiles the command line points at, through forgeline-cli itself, so they
# are always the captions the wizard shows.

# _forgeline_cli_ask ARGS...: the second column of the lines forgeline-cli
# prints for ARGS, run with the -C folders typed so far.
_forgeline_cli_ask() {
  "${COMP_WORDS[0]}" "${_forgeline_cli_dirs[@]}" "$@" 2>/dev/null | cut -f2
}

# _forgeline_cli_modules MCU: the boxes of MCU a click may go to.
_forgeline_cli_modules() {
  "${COMP_WORDS[0]}" "${_forgeline_cli_dirs[@]}" show "$1" 2>/dev/null |
    awk -F'\t' 'NR > 1 && $4 == "enabled" { print $2 }'
}

_forgeline_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command="" mcu="" ended="" i word
  _forgeline_cli_dirs=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ -n $ended || $word != -* ]]; then
      if [[ -z $command ]]; then command=$word
      elif [[ -z $mcu ]]; then mcu=$word
      fi
      continue
    fi
    case $word in
      --) ended=1 ;;
      -C) _forgeline_cli_dirs+=(-C "${COMP_WORDS[i + 1]}"); ((i++)) ;;
      -C*) _forgeline_cli_dirs+=("$word") ;;
      --click | --name | --date | --print) ((i++)) ;;
    esac
  done

  local choices="" IFS=$'\n'
  case $prev in
    -C) mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
    --name | --print) return ;;
    --date) choices=$(date +%Y-%m-%d) ;;
    --format) choices=$'gcc\nsarif' ;;
    --click) [[ -n $mcu ]] && choices=$(_forgeline_cli_modules "$mcu") ;;
  esac
  if [[ -z $choices && $prev != --date && $prev != --click ]]; then
    if [[ $cur == -* && -z $ended ]]; then
      case $command in
        show) choices=$'--click\n--help' ;;
        build) choices=$'--click\n--name\n--date\n--dry-run\n--print\n--help' ;;
        check) choices=$'--format\n--help' ;;
        list | help) choices=--help ;;
        *) choices=$'-C\n-h\n--help\n--version' ;;
      esac
    elif [[ -z $command ]]; then
      choices=$'list\nshow\nbuild\ncheck\nhelp'
    elif [[ $command == help && -z $mcu ]]; then
      choices=$'list\nshow\nbuild\ncheck'
    elif [[ ($command == show || $command == build) && -z $mcu ]]; then
      choices=$(_forgeline_cli_ask list)
    fi
  fi
  COMPREPLY=()
  local match
  for match in $(compgen -W "$choices" -- "$cur"); do
    COMPREPLY+=("$(printf '%q' "$match")")
  done
}
complete -F _forgeline_cli forgeline-cli
