# Sourced: lay_out_game <build bin folder> <folder> lays out a sample game folder: the
# client, the plug-in and the component host with its modules in <folder>/Bin, the menu
# module and the help library in <folder>.
lay_out_game() {
  mkdir -p "$2/Bin"
  cp "$1/client.exe" "$1/ZRKTempDll.dll" "$1/Vantri.dll" "$1/ZRKModules.dll" \
     "$1/ZRKEncoder.dll" "$1/ZRKMsgData.bin" "$2/Bin/"
  cp "$1/Tessaru.dll" "$1/Orvalt.dll" "$2/"
}
