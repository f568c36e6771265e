# bash completion for trovex-cli
_trovex_cli() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}

  # After "--" every word is a file.
  local i
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} == "--" ]]; then
      COMPREPLY=($(compgen -f -- "$cur"))
      return
    fi
  done

  case $prev in
    --type)
      COMPREPLY=($(compgen -W "biff talk font wavc mve list log compress key" -- "$cur"))
      return ;;
    --output)
      COMPREPLY=($(compgen -d -- "$cur"))
      return ;;
    --key)
      COMPREPLY=($(compgen -f -X '!*.[kK][eE][yY]' -- "$cur") $(compgen -d -- "$cur"))
      return ;;
    --find)
      return ;;
    --kinds)
      # A comma-separated list: complete the word after the last comma.
      local done=${cur%"${cur##*,}"}
      COMPREPLY=($(compgen -P "$done" -W "wav bmp mve image mos" -- "${cur##*,}"))
      return ;;
    --text)
      COMPREPLY=($(compgen -W "dump po" -- "$cur"))
      return ;;
    --code-page)
      COMPREPLY=($(compgen -W "1250 1251 1252 1253 1254 1255 1256 1257 1258 874 932 936 949 950 UTF-8" -- "$cur"))
      return ;;
    --language)
      return ;;
  esac

  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "--type --output --kinds --key --list --find --verbose --text --code-page --language --translation --translation-source --help --version --" -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -f -- "$cur"))
}
complete -o filenames -F _trovex_cli trovex-cli
