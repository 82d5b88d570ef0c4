#!/bin/sh
# Makes the sounds below assets/data/Sounds/: the move sound, the default
# sound, the administrator call and five voices of spoken chat phrases.
# Needs: espeak-ng, sox (Debian packages). Output: 8 kHz mono 16-bit WAV.
set -e
cd "$(dirname "$0")/../data/Sounds"
RATE=8000
# no dither and a fixed seed: a rebuild gives the same bytes
export SOX_OPTS="-D -R"
norm() { sox "$1" -r $RATE -c 1 -b 16 "$2" silence 1 0.02 1% reverse silence 1 0.02 1% reverse norm -1; }

# move sound: a short wooden click (under 100 ms)
sox -n -r $RATE -c 1 -b 16 MOVE.WAV synth 0.07 sine 1400:500 fade q 0.002 0.07 0.05 norm -3
# default sound: two soft tones
sox -n -r $RATE -c 1 -b 16 DEFAULT.WAV synth 0.12 sine 660 fade q 0.01 0.12 0.04 : synth 0.16 sine 880 fade q 0.01 0.16 0.08 norm -4
# administrator call: three rising tones
sox -n -r $RATE -c 1 -b 16 CallAdmin.WAV synth 0.12 sine 523 : synth 0.12 sine 659 : synth 0.2 sine 784 fade q 0.01 0.2 0.1 norm -3

# file name | spoken text
PHRASES='-_-_-.wav|minus minus minus
++.wav|I need something to drop
suggestion.wav|What now?
watchout.wav|Watch my board
hesits.wav|My opponent is waiting
CHIMEUP.WAV|I see
ISIT.WAV|I sit
PLAYFAST.WAV|Play fast
weup.WAV|We are up on time
wedown.WAV|We are down on time
OKNOW.WAV|O K now
good.wav|Position is better
bad.wav|Position is worse
OPPMATED.WAV|Opponent is dead
IMDEAD.WAV|I am dead
iwon.wav|We won
PLAY1.WAV|Counting, one
PLAY2.WAV|Counting, two
gamedrawn.wav|Draw
becareful.wav|Be careful
ilost.wav|I resign
abortrequest.wav|Abort the game?
DRIP.WAV|New game?
PGOOD.WAV|Pawn is good
NOP.WAV|No pawn
NGOOD.WAV|Knight is good
NON.WAV|No knight
BGOOD.WAV|Bishop is good
NOB.WAV|No bishop
RGOOD.WAV|Rook is good
NOR.WAV|No rook
QGOOD.WAV|Queen is good
NOQ.WAV|No queen
Hey.WAV|Hey!
+++.WAV|plus plus plus
Yes.WAV|Yes
No.WAV|No
= Position is equal.WAV|Position is equal
Go.WAV|Go
Sit.WAV|Sit
Maybe.WAV|Maybe
Position is misty.WAV|Position is misty
I can try win.WAV|I can try to win
You can try win.WAV|You can try to win
Coming.WAV|Coming
Nevermind.WAV|Never mind'

# five distinct voices: language+variant, speed, pitch
VOICES='en+m3 165 40
en-us+f2 170 60
en+m7 155 25
en-gb-scotland+f4 160 70
en-us+klatt 150 50'

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
n=0
echo "$VOICES" | while read -r voice speed pitch; do
  n=$((n + 1))
  dir="PlayersVoice/VoiceSynth$n"
  rm -rf "$dir"; mkdir -p "$dir"
  echo "$PHRASES" | while IFS='|' read -r file text; do
    espeak-ng -v "$voice" -s "$speed" -p "$pitch" -w "$tmp/raw.wav" "$text"
    norm "$tmp/raw.wav" "$dir/$file"
  done
done
