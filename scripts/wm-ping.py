#!/usr/bin/python3
"""Times a window's answers to _NET_WM_PING, the message a window manager sends to find hung
programs: a window that takes long to answer is one whose event loop is blocked.

    scripts/wm-ping.py WINDOW_ID [--seconds N] [--interval MS]

Sends a ping every INTERVAL ms on average (uniformly spread, so that the pings do not lock on
to a periodic timer of the window), waits for each answer on the root window and prints the
round trips: count, p50, p99 and max in milliseconds. Needs python3-xlib and $DISPLAY.
"""
import argparse
import random
import select
import sys
import time

from Xlib import X, display, protocol

ANSWER_TIMEOUT_S = 10.0


def percentile(sorted_values, p):
    """The nearest-rank percentile of already sorted values."""
    rank = max(1, -(-len(sorted_values) * p // 100))
    return sorted_values[int(rank) - 1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("window", help="window id, decimal or 0x hex (xdotool search prints it)")
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--interval", type=float, default=20.0, help="mean ms between pings")
    args = parser.parse_args()

    d = display.Display()
    root = d.screen().root
    window = d.create_resource_object("window", int(args.window, 0))
    protocols = d.intern_atom("WM_PROTOCOLS")
    ping = d.intern_atom("_NET_WM_PING")
    # The answer is the same message sent back to the root window.
    root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
    d.sync()

    rtts = []
    serial = 0
    end = time.monotonic() + args.seconds
    while time.monotonic() < end:
        serial += 1
        # The "timestamp" field carries our serial number; the window copies it back.
        event = protocol.event.ClientMessage(
            window=window, client_type=protocols,
            data=(32, [ping, serial, window.id, 0, 0]))
        sent = time.monotonic()
        window.send_event(event, event_mask=0)
        d.flush()
        while True:
            left = sent + ANSWER_TIMEOUT_S - time.monotonic()
            if left <= 0:
                print(f"no answer to ping {serial} within {ANSWER_TIMEOUT_S} s", file=sys.stderr)
                return 1
            if not d.pending_events():
                select.select([d.fileno()], [], [], left)
                if not d.pending_events():
                    continue
            e = d.next_event()
            if (e.type == X.ClientMessage and e.client_type == protocols
                    and e.data[1][0] == ping and e.data[1][1] == serial):
                rtts.append((time.monotonic() - sent) * 1000.0)
                break
        time.sleep(random.uniform(0, 2 * args.interval) / 1000.0)

    rtts.sort()
    print(f"pings={len(rtts)} p50={percentile(rtts, 50):.1f} ms p99={percentile(rtts, 99):.1f} ms "
          f"max={rtts[-1]:.1f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
