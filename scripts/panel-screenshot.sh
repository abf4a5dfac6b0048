#!/bin/sh
# The bench and the virtual unit's panel side by side during an automatic run.
# Usage: xvfb-run -a -s "-screen 0 1366x768x24" scripts/panel-screenshot.sh build/bin/Varnw shot.png
set -e
program=$(realpath "$1"); out=$(realpath -m "$2")
folder=$(mktemp -d)
cp "$program" "$folder/Varnw"
cd "$folder"
printf '[Unit]\nTimeScale = 1\n[Feeder]\nDocument = E13bCalibration\nCheques = 30\n' > VarnUnit.ini
# A settings file whose document count is 0 (every document): written by a
# first run closed through File > Exit, then patched at its offset 0x0F2.
./Varnw & sleep 3
xdotool search --name "Varn demo test" windowfocus --sync; xdotool key alt+f; sleep 0.5; xdotool key x; sleep 2
python3 -c "d=bytearray(open('Varnw.Cfg','rb').read()); d[0xF2:0xF4]=b'\0\0'; open('Varnw.Cfg','wb').write(d)"
rm -f VarnUnit.mem
./Varnw --service --panel & pid=$!
sleep 4
xdotool search --name "Varn demo test" windowfocus --sync; xdotool key F6   # Repeat manual: the automatic run
sleep 5
import -window root "$out"
kill $pid; cd /; rm -rf "$folder"
