# Sourced by the scripts that run the real game on a private X server with its sound
# captured: scripts/soak and scripts/bench.

# start_xvfb DISPLAY LOG [WIDTHxHEIGHT]: starts Xvfb (its pid in $xvfb), 640x480 unless
# told, and waits until it answers.
# -noreset keeps the server, and the pointer, as they are when the game's window closes.
start_xvfb() {
    Xvfb "$1" -screen 0 "${3:-640x480}x24" -noreset >"$2" 2>&1 &
    xvfb=$!
    tries=0
    until DISPLAY="$1" xdpyinfo >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -lt 50 ] || { echo "$0: Xvfb on $1 did not start" >&2; exit 1; }
        sleep 0.1
    done
}

# sound_to_file DIR FILE: writes, into DIR, an ALSA configuration whose default device is
# FILE (Allegro's mix, unsigned 16-bit stereo at 44100 Hz) and an Allegro configuration
# with small fragments, which keep the file sink at the pace of a real device instead of
# racing ahead of it. The game finds them with XDG_CONFIG_HOME=DIR ALLEGRO=DIR.
sound_to_file() {
    mkdir -p "$1/alsa"
    echo "pcm.!default { type file; slave.pcm \"null\"; file \"$2\"; format \"raw\" }" \
        >"$1/alsa/asoundrc"
    printf '[sound]\nalsa_fragsize = 441\n' >"$1/allegro.cfg"
}

# press KEY SECONDS: holds a key on $DISPLAY long enough for the game's 30 Hz poll to see it.
press() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}
