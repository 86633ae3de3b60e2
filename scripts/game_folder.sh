# Sourced. game_files <build bin folder> Bin|parent names, one a line, the files of a game
# folder that go into its Bin folder or into the parent of that.
game_files() {
  case $2 in
    Bin) grep -v -e '^#' -e '^\.\./' "$1/game_files.txt" ;;
    parent) sed -n 's|^\.\./||p' "$1/game_files.txt" ;;
  esac
}

# lay_out_game <build bin folder> <folder> lays out a sample game folder: the client, the
# plug-in and the component host with its modules in <folder>/Bin, the menu module and
# the help library in <folder>.
lay_out_game() {
  local name
  mkdir -p "$2/Bin"
  cp "$1/client.exe" "$2/Bin/"
  for name in $(game_files "$1" Bin); do cp "$1/$name" "$2/Bin/"; done
  for name in $(game_files "$1" parent); do cp "$1/$name" "$2/"; done
}
