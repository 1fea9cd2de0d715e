#!/usr/bin/env python3
"""A small B Plus host of its own, written from the protocol's published
definition and sharing nothing with the client's packet layer: tests run the
client against it so that a fault both of our own ends share cannot hide.

It talks B Plus on stdin/stdout (binary) and plays the online service's side:
ENQ, its transport parameters, a T packet, then the file.

    bplus_host.py send FILE NAME [options]     the client downloads FILE as NAME
    bplus_host.py receive FILE NAME [options]  the client uploads NAME into FILE

Options: --window 0|1, --check 0|1 (1 = CRC), --block UNITS, --resume 0|1|2,
--timeout SECONDS, --lose-final-ack (drop the client's last acknowledgement
once), --type A|B (the T packet's file type), --quotes HEX16 (the host's
Q1-Q8), --short-params DQ (a "+" packet of six parameters: no Q1-Q8, quoting
level DQ), --abort-after BYTES (the host fails the transfer with a failure
packet once that many data bytes have moved), --corrupt P --loss P --seed N
(damage or drop each byte in either direction with these chances). Without
noise, a byte of the host's quote set arriving unquoted fails the transfer.
The result goes to stderr as one line: "complete N" or "failed TEXT";
the exit status is 0 on success.
"""
import argparse
import os
import random
import select
import sys
import time

ETX, ENQ, DLE, NAK = 0x03, 0x05, 0x10, 0x15
DEFAULT_QUOTES = {0x03, 0x05, 0x10, 0x11, 0x13, 0x15}
# The quoting levels a "+" packet without Q1-Q8 names by its DQ byte.
QUOTING_LEVELS = {
    0: {0x00} | DEFAULT_QUOTES,
    1: set(DEFAULT_QUOTES),
    2: DEFAULT_QUOTES | {0x91, 0x93},
}


class Failed(Exception):
    pass


def checksum(data):
    s = 0
    for b in data:
        s <<= 1
        if s > 255:
            s = (s & 0xFF) + 1
        s += b
        if s > 255:
            s = (s & 0xFF) + 1
    return bytes([s])


def crc16(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else (crc << 1)
            crc &= 0xFFFF
    return bytes([crc >> 8, crc & 0xFF])


def quote_set_bytes(quotes):
    out = bytearray(8)
    for c in quotes:
        if c < 0x20:
            out[c // 8] |= 0x80 >> (c % 8)
        elif 0x80 <= c < 0xA0:
            out[4 + (c - 0x80) // 8] |= 0x80 >> ((c - 0x80) % 8)
    return bytes(out)


def quotes_from(field):
    quotes = set()
    for i, byte in enumerate(field[:8]):
        for bit in range(8):
            if byte & (0x80 >> bit):
                quotes.add(i * 8 + bit if i < 4 else 0x80 + (i - 4) * 8 + bit)
    return quotes


class Noise:
    """Damages or drops single bytes with fixed chances and a fixed seed."""

    def __init__(self, corrupt, loss, seed):
        self.corrupt, self.loss = corrupt, loss
        self.rng = random.Random(seed)

    def apply(self, data):
        if not self.corrupt and not self.loss:
            return bytes(data)
        out = bytearray()
        for b in data:
            r = self.rng.random()
            if r < self.loss:
                continue
            if r < self.loss + self.corrupt:
                b ^= self.rng.randrange(1, 256)
            out.append(b)
        return bytes(out)


class Line:
    def __init__(self, timeout, corrupt=0.0, loss=0.0, seed=1):
        self.timeout = timeout
        self.pending = bytearray()
        self.lose_final_ack = False
        self.dropping = 0
        self.noisy = corrupt > 0 or loss > 0
        self.to_client = Noise(corrupt, loss, seed)
        self.from_client = Noise(corrupt, loss, seed + 100)

    def read(self, timeout=None):
        """One byte, or None after the time-out."""
        if not self.pending:
            ready, _, _ = select.select([0], [], [], self.timeout if timeout is None else timeout)
            if not ready:
                return None
            chunk = os.read(0, 4096)
            if not chunk:
                raise Failed("the client closed the line")
            self.pending += self.from_client.apply(chunk)
            if not self.pending:
                return self.read(timeout)
        b = self.pending[0]
        del self.pending[0]
        if self.dropping:
            self.dropping -= 1
            return self.read(timeout)
        return b

    def write(self, data):
        data = self.to_client.apply(data)
        while data:
            data = data[os.write(1, data):]


class Host:
    def __init__(self, line, args):
        self.line = line
        self.args = args
        self.seq = 0
        self.quotes = set(DEFAULT_QUOTES)
        self.crc = False
        self.window = 1
        self.block = 512
        self.outstanding = []  # (seq, data)
        # What this host wants quoted: until its own parameters are agreed,
        # only the characters every B Plus peer quotes.
        self.wanted = set(DEFAULT_QUOTES)
        self.moved = 0

    # --- packets out -----------------------------------------------------
    def encode(self, seq, data):
        body = bytes([ord('0') + seq]) + bytes(data) + bytes([ETX])
        check = crc16(body) if self.crc else checksum(body)
        out = bytearray([DLE, ord('B'), body[0]])
        # ETX ends the data and goes bare; data and check are quoted as agreed.
        for b in data:
            self.put(out, b)
        out.append(ETX)
        for b in check:
            self.put(out, b)
        return out

    def put(self, out, b):
        if b in self.quotes:
            out.append(DLE)
            out.append(b + 0x40 if b < 0x20 else b - 0x80 + 0x60)
        else:
            out.append(b)

    def send(self, data):
        while len(self.outstanding) >= self.window:
            self.collect()
        self.seq = (self.seq + 1) % 10
        self.outstanding.append((self.seq, bytes(data)))
        self.line.write(self.encode(self.seq, data))

    def flush(self):
        while self.outstanding:
            self.collect()

    def collect(self):
        errors = 0
        while True:
            b = self.line.read()
            if b is None or b == NAK:
                errors += 1
                if errors > 10:
                    raise Failed("no acknowledgement")
                if self.resync():
                    return
                continue
            if b == DLE:
                c = self.line.read()
                if c is not None and ord('0') <= c <= ord('9'):
                    if self.take(c - ord('0')):
                        return
                elif c == ord('B'):
                    self.incoming = self.read_body(give_up=True)
                    if self.incoming is not None:
                        if self.incoming[0] == ord('F'):
                            self.ack()
                            raise Failed("failure packet: " + self.incoming[1:].decode('latin-1'))
                        self.outstanding.clear()
                        return

    def take(self, digit):
        if self.outstanding and digit == self.outstanding[0][0]:
            self.outstanding.pop(0)
            return True
        if len(self.outstanding) > 1 and digit == self.outstanding[1][0]:
            del self.outstanding[:2]
            return True
        return False

    def resync(self):
        """ENQ ENQ, then the same acknowledgement twice: resend what the
        client has not got. True when something was freed."""
        self.line.write(bytes([ENQ, ENQ]))
        last = None
        deadline = time.monotonic() + self.line.timeout
        while time.monotonic() < deadline:
            b = self.line.read(max(deadline - time.monotonic(), 0))
            if b is None:
                return False
            if b != DLE:
                continue
            c = self.line.read()
            if c == ord('B'):
                self.incoming = self.read_body(give_up=True)
                if self.incoming is not None:
                    self.outstanding.clear()
                    return True
                return False
            if c is None or not ord('0') <= c <= ord('9'):
                continue
            digit = c - ord('0')
            if digit != last:
                last = digit
                continue
            freed = self.take(digit)
            if not freed and self.outstanding and digit != (self.outstanding[0][0] + 9) % 10:
                return False
            for seq, data in self.outstanding:
                self.line.write(self.encode(seq, data))
            return freed and not self.outstanding
        return False

    # --- packets in ------------------------------------------------------
    def ack(self):
        self.line.write(bytes([DLE, ord('0') + self.seq]))

    def read_body(self, give_up=False):
        """After DLE B: the rest of one packet; its data, or None if bad."""
        b = self.line.read()
        if b is None or not ord('0') <= b <= ord('9'):
            return None
        seq = b - ord('0')
        body = bytearray([b])
        data = bytearray()
        while True:
            b = self.line.read()
            if b is None or b == ENQ:
                return None
            if b == ETX:
                break
            if b == DLE:
                b = self.line.read()
                if b is None:
                    return None
                b = b & 0x1F if b < 0x60 else (b + 0x20) & 0xFF
            elif b in self.wanted and not self.line.noisy:
                raise Failed("unquoted byte 0x%02x from the client" % b)
            data.append(b)
            if len(data) > 1100:
                return None
        body += data + bytes([ETX])
        expected = crc16(body) if self.crc else checksum(body)
        got = bytearray()
        while len(got) < len(expected):
            b = self.line.read()
            if b is None:
                return None
            if b == DLE:
                b = self.line.read()
                if b is None:
                    return None
                b = b & 0x1F if b < 0x60 else (b + 0x20) & 0xFF
            got.append(b)
        if bytes(got) != expected:
            return None
        if seq == (self.seq + 1) % 10 or data[:1] == b'F':
            self.seq = seq
            return bytes(data)
        if seq == self.seq:
            self.ack()  # our acknowledgement was lost: a repeat
        return b''

    def receive(self):
        nak_sent = False
        attempts = 0
        if getattr(self, 'incoming', None):
            data, self.incoming = self.incoming, None
            return data
        while True:
            b = self.line.read()
            if b is None:
                attempts += 1
            elif b == ENQ:
                self.ack()
                nak_sent = False  # the sender resends: a damaged resend earns its NAK
                continue
            elif b != DLE:
                continue
            else:
                c = self.line.read()
                if c == ENQ:
                    self.ack()
                    nak_sent = False
                    continue
                if c != ord('B'):
                    continue
                data = self.read_body()
                if data:
                    return data
                if data == b'':
                    continue
                attempts += 1
            if attempts > 10:
                raise Failed("too many errors")
            if not nak_sent:
                self.line.write(bytes([NAK]))
                nak_sent = True

    # --- the session -----------------------------------------------------
    def start(self):
        for _ in range(10):
            self.line.write(bytes([ENQ]))
            want = [DLE, ord('+'), ord('+'), DLE]
            got = 0
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline:
                b = self.line.read(max(deadline - time.monotonic(), 0))
                if b is None:
                    break
                if got == 4 and ord('0') <= b <= ord('9'):
                    break
                got = got + 1 if got < 4 and b == want[got] else (1 if b == DLE else 0)
            else:
                continue
            if got == 4:
                break
        else:
            raise Failed("no answer to ENQ")
        self.seq = 0
        a = self.args
        if a.short_params is not None:
            own = bytes([a.window, a.window, a.block, a.check, a.short_params, 0])
            host_quotes = QUOTING_LEVELS.get(a.short_params, set(range(0x20)) | set(range(0x80, 0xA0)))
        else:
            host_quotes = quotes_from(bytes.fromhex(a.quotes)) if a.quotes else set(DEFAULT_QUOTES)
            own = bytes([a.window, a.window, a.block, a.check, 0, 0]) + quote_set_bytes(host_quotes) + bytes([a.resume, 0, 0])
        self.send(b'+' + own)
        self.flush()
        reply = getattr(self, 'incoming', None) or self.receive()
        self.incoming = None
        if reply[:1] != b'+':
            raise Failed("no transport parameters from the client")
        self.ack()
        peer = reply[1:] + bytes(17)
        self.window = 2 if a.window and peer[1] else 1
        units = min(a.block, peer[2]) or 4
        self.block = min(units, 8) * 128
        self.crc = a.check == 1 and peer[3] == 1
        self.quotes = set(DEFAULT_QUOTES) | quotes_from(peer[6:14])
        self.resume = min(a.resume, peer[14])
        self.wanted = set(host_quotes) - {ETX, ENQ, DLE}
        if a.short_params is not None:
            self.resume = 0

    def send_file(self, path, name):
        self.start()
        self.send(b'TD' + self.args.type.encode() + name)
        self.flush()
        offset = 0
        content = open(path, 'rb').read()
        reply = getattr(self, 'incoming', None)
        if reply is not None:
            self.incoming = None
            if reply[:2] != b'Tr':
                raise Failed("unexpected reply to the T packet")
            self.ack()
            length, crc = (int(x) for x in reply[2:].split()[:2])
            if length <= len(content) and int.from_bytes(crc16(content[:length]), 'big') == crc:
                offset = length
            else:
                self.send(b'Tf')
        while offset < len(content):
            self.send(b'N' + content[offset:offset + self.block])
            offset += self.block
            self.moved += self.block
            self.abort_if_due()
        self.send(b'TC')
        if self.args.lose_final_ack:
            self.line.dropping = 2
        self.flush()
        return len(content)

    def abort_if_due(self):
        """The host gives up: a failure packet, acknowledged by the client."""
        if self.args.abort_after is None or self.moved < self.args.abort_after:
            return
        self.outstanding.clear()
        self.seq = (self.seq + 1) % 10
        packet = self.encode(self.seq, b'FAAborted by host')
        for _ in range(10):
            self.line.write(packet)
            deadline = time.monotonic() + self.line.timeout
            while time.monotonic() < deadline:
                b = self.line.read(max(deadline - time.monotonic(), 0))
                if b is None:
                    break
                if b == DLE and self.line.read() == ord('0') + self.seq:
                    raise Failed("aborted by the host")
        raise Failed("the failure packet was not acknowledged")

    def receive_file(self, path, name):
        self.start()
        self.send(b'TU' + self.args.type.encode() + name)
        self.flush()
        size = 0
        with open(path, 'wb') as out:
            while True:
                data = self.receive()
                if data[:1] == b'N':
                    out.write(data[1:])
                    size += len(data) - 1
                    self.ack()
                    self.moved += len(data) - 1
                    self.abort_if_due()
                elif data[:2] == b'TC':
                    self.ack()
                    return size
                elif data[:1] == b'F':
                    self.ack()
                    raise Failed("failure packet: " + data[1:].decode('latin-1'))
                else:
                    raise Failed("unexpected packet")


def main():
    p = argparse.ArgumentParser()
    p.add_argument('direction', choices=['send', 'receive'])
    p.add_argument('file')
    p.add_argument('name')
    p.add_argument('--window', type=int, default=1)
    p.add_argument('--check', type=int, default=1)
    p.add_argument('--block', type=int, default=8)
    p.add_argument('--resume', type=int, default=2)
    p.add_argument('--timeout', type=float, default=15)
    p.add_argument('--lose-final-ack', action='store_true')
    p.add_argument('--type', choices=['A', 'B'], default='B')
    p.add_argument('--quotes')
    p.add_argument('--short-params', type=int)
    p.add_argument('--abort-after', type=int)
    p.add_argument('--corrupt', type=float, default=0.0)
    p.add_argument('--loss', type=float, default=0.0)
    p.add_argument('--seed', type=int, default=1)
    args = p.parse_args()
    host = Host(Line(args.timeout, args.corrupt, args.loss, args.seed), args)
    try:
        if args.direction == 'send':
            n = host.send_file(args.file, args.name.encode('latin-1'))
        else:
            n = host.receive_file(args.file, args.name.encode('latin-1'))
        sys.stderr.write("complete %d\n" % n)
        return 0
    except Failed as e:
        sys.stderr.write("failed %s\n" % e)
        return 1


if __name__ == '__main__':
    sys.exit(main())
