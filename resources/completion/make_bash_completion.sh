#!/usr/bin/env bash
# Writes the bash completion of audrel-cli from what audrel-cli itself says, so
# that it follows every command and option the program has:
#   - the commands are those of `audrel-cli --help`;
#   - a command's options are the --words of `audrel-cli COMMAND --help` that
#     the command's parser knows (it says "Unknown option" of the others), and
#     one takes a value when the parser says it is missing one;
#   - an option's words (--to mp3 ...) are those the command lists when given a
#     value it does not take, else those its usage shows as a|b|c; FILE and DIR
#     after an option in the usage complete file and folder names.
# Usage: make_bash_completion.sh AUDREL_CLI OUTPUT
set -euo pipefail
cli=$1
output=$2

run() { "$cli" "$@" < /dev/null 2>&1 || true; }

commands=$(run --help | sed -n '/^Commands:/,$ s/^  \([a-z][a-z0-9-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "make_bash_completion: $cli lists no commands" >&2; exit 1; }

# One case branch per command, each with the completion of its option values
# and the list of its options.
branches=""
for command in $commands; do
  usage=$(run "$command" --help)
  options=""
  values=""
  for option in $(grep -o -- '--[a-z][a-z0-9-]*' <<< "$usage" | awk '!seen[$0]++'); do
    [ "$option" = --help ] && continue
    answer=$(run "$command" "$option")
    case $answer in *"Unknown option"*) continue ;; esac
    options+=" $option"
    case $answer in *"Missing value after"*) ;; *) continue ;; esac
    # The value it takes: the words the command names when refused one ...
    words=$(run "$command" "$option=@" | sed -n "s/.*$option takes \\(.*\\), not \"@\".*/\\1/p" |
      sed 's/ or /\n/g; s/, /\n/g' | grep -E '^[a-z0-9]+$' | tr '\n' ' ' || true)
    # ... else what the usage shows after the option.
    shown=$(grep -o -- "$option[ =][A-Za-z0-9|_.-]*" <<< "$usage" | head -1 | cut -c$((${#option} + 2))- || true)
    if [ -z "$words" ] && [[ $shown == *"|"* && $shown =~ ^[a-z0-9|]+$ ]]; then
      words=${shown//|/ }
    fi
    if [ -n "$words" ]; then
      values+="        $option) COMPREPLY=(\$(compgen -W \"${words% }\" -- \"\$cur\")) ;;"$'\n'
    elif [[ $shown =~ ^(DIR|FOLDER)$ ]]; then
      values+="        $option) _audrel_cli_names -d ;;"$'\n'
    elif [[ $shown =~ ^(FILE|PATH)$ ]]; then
      values+="        $option) _audrel_cli_names -f ;;"$'\n'
    else
      values+="        $option) ;;"$'\n'
    fi
  done
  branches+="    $command)"$'\n'
  branches+="        case \$option in"$'\n'
  branches+="$values"
  branches+="        *)"$'\n'
  branches+="            if [[ \$cur == -* ]]; then"$'\n'
  branches+="                COMPREPLY=(\$(compgen -W \"${options# } --help\" -- \"\$cur\"))"$'\n'
  branches+="            else"$'\n'
  branches+="                _audrel_cli_names -f"$'\n'
  branches+="            fi"$'\n'
  branches+="            ;;"$'\n'
  branches+="        esac"$'\n'
  branches+="        ;;"$'\n'
done

cat > "$output.tmp" << EOF
# bash completion for audrel-cli, made from audrel-cli's own commands and
# options when it was built.

# File (-f) or folder (-d) names that start with the word being completed.
_audrel_cli_names()
{
    compopt -o filenames 2> /dev/null || true
    local IFS=\$'\\n'
    COMPREPLY=(\$(compgen "\$1" -- "\$cur"))
}

_audrel_cli()
{
    local cur=\${COMP_WORDS[COMP_CWORD]}
    # The option whose value is being completed: the word before, also when
    # written --option=value (which bash splits at the "=").
    local option=\${COMP_WORDS[COMP_CWORD - 1]}
    if [[ \$cur == = ]]; then
        cur=""
    elif [[ \$option == = && COMP_CWORD -ge 2 ]]; then
        option=\${COMP_WORDS[COMP_CWORD - 2]}
    fi
    local command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ \${COMP_WORDS[i]} != -* ]]; then
            command=\${COMP_WORDS[i]}
            break
        fi
    done
    COMPREPLY=()
    case \$command in
    "")
        COMPREPLY=(\$(compgen -W "$(echo $commands) --help --version" -- "\$cur"))
        ;;
$branches    esac
}

complete -F _audrel_cli audrel-cli
EOF
mv "$output.tmp" "$output"
