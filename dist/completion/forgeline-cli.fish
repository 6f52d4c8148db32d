# fish completion for forgeline-cli. MCU and module captions come from the
# KeyFiles the command line points at, through forgeline-cli itself, so they
# are always the captions the wizard shows.
#
# A caption is text from a file anyone may hand out, so here it is only ever
# data: it lives in variables and goes through `string` alone, never through
# eval, and fish escapes each offered word as it inserts it. fish reads a tab
# in an offered line as the start of its description, so a caption holding
# one is offered by its number, #N, which chooses the same MCU.

# The words of the command line before the one being completed, quoting
# removed: the program, then everything after it.
function __forgeline_cli_tokens
    commandline -opc
end

# The words that are neither options nor option values, one a line: the
# command first, then its arguments. After "--" every word is one.
function __forgeline_cli_positionals
    set -l tokens (__forgeline_cli_tokens)
    set -l ended
    set -l i 2
    while test $i -le (count $tokens)
        set -l word $tokens[$i]
        if set -q ended[1]; or not string match -q -- '-*' $word
            printf '%s\n' $word
        else
            switch $word
                case --
                    set ended 1
                case -C --click --unclick --name --date --print --format
                    set i (math $i + 1)
            end
        end
        set i (math $i + 1)
    end
end

# __forgeline_cli_at N COMMAND...: the command is one of COMMAND and N words
# follow it (0: its first argument is being typed).
function __forgeline_cli_at -a count
    set -l words (__forgeline_cli_positionals)
    test (count $words) -eq (math $count + 1); and contains -- $words[1] $argv[2..-1]
end

function __forgeline_cli_needs_command
    test (count (__forgeline_cli_positionals)) -eq 0
end

# __forgeline_cli_command_is COMMAND...: the command is one of them, however
# far along the line is.
function __forgeline_cli_command_is
    set -l words (__forgeline_cli_positionals)
    set -q words[1]; and contains -- $words[1] $argv
end

# The lines forgeline-cli prints for the arguments, run with the -C folders
# typed before the command.
function __forgeline_cli_ask
    set -l tokens (__forgeline_cli_tokens)
    set -l dirs
    set -l i 2
    while test $i -le (count $tokens)
        switch $tokens[$i]
            case -C
                set i (math $i + 1)
                set -q tokens[$i]; and set -a dirs -C $tokens[$i]
            case '-C?*'
                set -a dirs $tokens[$i]
            case '-*'
            case '*'
                break
        end
        set i (math $i + 1)
    end
    # A program that is not there offers nothing, without fish's complaint.
    command -q -- $tokens[1]; and $tokens[1] $dirs $argv 2>/dev/null
end

# The MCU captions, from "INDEX<TAB>CAPTION<TAB>FILE", each described by its
# file.
function __forgeline_cli_mcus
    for line in (__forgeline_cli_ask list)
        set -l fields (string split -- \t $line)
        test (count $fields) -ge 3; or continue
        if test (count $fields) -gt 3
            printf '#%s\t%s\n' $fields[1] $fields[-1]
        else
            printf '%s\t%s\n' $fields[2] $fields[3]
        end
    end
end

# The boxes a click may go to, from "INDEX<TAB>CAPTION<TAB>x or -<TAB>enabled"
# of the MCU typed after the command.
function __forgeline_cli_modules
    set -l words (__forgeline_cli_positionals)
    set -q words[2]; or return
    for line in (__forgeline_cli_ask show $words[2])
        set -l fields (string split -- \t $line)
        test (count $fields) -eq 4; and string match -qr -- '^[0-9]+$' $fields[1]; and test $fields[4] = enabled
        or continue
        printf '%s\n' $fields[2]
    end
end

complete -c forgeline-cli -f

# Before the command.
complete -c forgeline-cli -n __forgeline_cli_needs_command -s C -x -a '(__fish_complete_directories)' \
    -d 'Work in DIR, the folder that holds KeyFiles'
complete -c forgeline-cli -n __forgeline_cli_needs_command -s h -l help -d 'Print help and exit'
complete -c forgeline-cli -n __forgeline_cli_needs_command -l version -d 'Print the version and exit'
complete -c forgeline-cli -n __forgeline_cli_needs_command -a list -d 'List the MCUs'
complete -c forgeline-cli -n __forgeline_cli_needs_command -a show -d 'Show the boxes of an MCU after the clicks'
complete -c forgeline-cli -n __forgeline_cli_needs_command -a build -d 'Build the project of an MCU'
complete -c forgeline-cli -n __forgeline_cli_needs_command -a check -d 'Check the key files'
complete -c forgeline-cli -n __forgeline_cli_needs_command -a update -d 'Merge a new build into a project'
complete -c forgeline-cli -n __forgeline_cli_needs_command -a help -d 'Describe a command'

# The commands' own.
complete -c forgeline-cli -n '__forgeline_cli_at 0 help' -a 'list show build check update'
complete -c forgeline-cli -n '__forgeline_cli_at 0 show build' -k -a '(__forgeline_cli_mcus)'
complete -c forgeline-cli -n '__forgeline_cli_command_is list show build check update' -s h -l help -d 'Print help'
complete -c forgeline-cli -n '__forgeline_cli_command_is show build' -l click -x -k -a '(__forgeline_cli_modules)' \
    -d 'One click on module box M'
complete -c forgeline-cli -n '__forgeline_cli_command_is list show' -l format -x -a 'text json' -d 'Text or JSON'
complete -c forgeline-cli -n '__forgeline_cli_command_is check' -l format -x -a 'gcc sarif' -d 'The report'
complete -c forgeline-cli -n '__forgeline_cli_command_is check' -F
complete -c forgeline-cli -n '__forgeline_cli_command_is build' -l name -x -d 'The project name'
complete -c forgeline-cli -n '__forgeline_cli_command_is build' -l date -x -a '(date +%Y-%m-%d)' \
    -d 'The date written into main.c'
complete -c forgeline-cli -n '__forgeline_cli_command_is build' -l dry-run -d 'Print each step; change nothing'
complete -c forgeline-cli -n '__forgeline_cli_command_is build check' -s q -l quiet \
    -d 'Errors only: no success message, no summary'
complete -c forgeline-cli -n '__forgeline_cli_command_is build' -l no-record -d 'Leave the project record out'
complete -c forgeline-cli -n '__forgeline_cli_at 0 update' -x -a '(__fish_complete_directories)'
complete -c forgeline-cli -n '__forgeline_cli_command_is update' -l click -x -d 'Tick module box M'
complete -c forgeline-cli -n '__forgeline_cli_command_is update' -l unclick -x -d 'Untick module box M'
complete -c forgeline-cli -n '__forgeline_cli_command_is update' -l dry-run -d 'Print a diff of every change'
complete -c forgeline-cli -n '__forgeline_cli_command_is build' -l print -x \
    -d 'With --dry-run: print this file of the project'
