"""Bad input and faults for the hardening tests, shared by the desktop and
the batch front end's tests: broken media made from good media, copies of
the program folder with a broken converter archive, mounts that only the
test sees, and what a program must leave behind when it is done.

Every wait has a bound: a hang fails the test instead of blocking it.
"""

import ctypes
import os
import random
import signal
import subprocess
import tempfile
import time
import zipfile

CLONE_NEWNS = 0x00020000
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "WARNING: ThreadSanitizer", "ERROR: UndefinedBehaviorSanitizer")


class FaultTestError(AssertionError):
    """A check of a test failed: the desktop and the batch tests raise this
    one error, and report it as a FAILED line."""


def expect(condition, what):
    if not condition:
        raise FaultTestError(what)


def wait_until(what, check, seconds):
    deadline = time.monotonic() + seconds
    while True:
        found = check()
        if found:
            return found
        if time.monotonic() > deadline:
            raise FaultTestError("gave up waiting for " + what)
        time.sleep(0.05)


# Mounts. The test moves itself into a mount namespace of its own before it
# starts anything, so what it mounts is seen by it and its children only and
# goes away with it, whatever way it ends.

_mounted = []


def private_mounts():
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.unshare(CLONE_NEWNS) != 0:
        raise OSError(ctypes.get_errno(), "unshare(CLONE_NEWNS): " + os.strerror(ctypes.get_errno()))
    subprocess.run(["mount", "--make-rprivate", "/"], check=True)


def mount_tmpfs(folder, size):
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s" % size, "tmpfs", folder], check=True)
    _mounted.append(folder)
    return folder


def mount_read_only(folder):
    """The folder, bound onto itself read-only: root's writes fail there too."""
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["mount", "--bind", folder, folder], check=True)
    _mounted.append(folder)
    subprocess.run(["mount", "-o", "remount,bind,ro", folder], check=True)
    return folder


def unmount_all():
    """So that the folders below can be removed."""
    while _mounted:
        subprocess.run(["umount", _mounted.pop()], check=True)


# Media.

def ffmpeg(*arguments):
    subprocess.run(["ffmpeg", "-v", "error", "-y", *arguments], check=True)


def make_video(path, seconds, size="160x120", frequency=440, codecs=("mpeg4", "aac")):
    """A test picture with a sine tone, from the ffmpeg tool's lavfi sources.
    `codecs` is (video, audio); None leaves them to the container's defaults."""
    arguments = ["-f", "lavfi", "-i", "testsrc2=size=%s:rate=25:duration=%s" % (size, seconds),
                 "-f", "lavfi", "-i", "sine=frequency=%d:sample_rate=44100:duration=%s" % (frequency, seconds)]
    if codecs:
        arguments += ["-c:v", codecs[0], "-c:a", codecs[1]]
    ffmpeg(*arguments, path)
    return path


def make_wmv(path, seconds, size="160x120"):
    """A WMV: without the WMV decoder library only the converter opens it."""
    return make_video(path, seconds, size, frequency=880, codecs=("wmv2", "wmav2"))


def make_sound(path, seconds):
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=%s" % seconds, "-c:a", "aac", path)
    return path


class Media:
    """A scratch folder (root) whose media/ holds the sources most fault
    cases start from: a good 4 s video and 300 s of sound."""

    def __init__(self, prefix):
        self.root = tempfile.mkdtemp(prefix=prefix)
        self.media = os.path.join(self.root, "media")
        os.makedirs(self.media)
        self.good = make_video(self.path("good.mp4"), 4)
        self.long = make_sound(self.path("long.m4a"), 300)

    def path(self, name):
        return os.path.join(self.media, name)


def write_bytes(path, data):
    with open(path, "wb") as file:
        file.write(data)
    return path


def random_bytes(count, seed):
    generator = random.Random(seed)
    return bytes(generator.randrange(256) for _ in range(count))


def truncated_mp4(good_mp4, path):
    """The first half of an MP4 whose index comes last: sound and pictures
    without the index that says where they are."""
    with open(good_mp4, "rb") as file:
        data = file.read()
    expect(data.rfind(b"moov") > data.find(b"mdat"), "the index of %s comes last" % good_mp4)
    return write_bytes(path, data[:data.find(b"mdat") + (data.rfind(b"moov") - data.find(b"mdat")) // 2])


def damaged_audio_mp4(good_mp4, path):
    """The MP4 with the packets of the middle third of its sound overwritten
    by noise: the container is sound, the audio stream is not."""
    listing = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                              "packet=pos,size", "-of", "csv=p=0", good_mp4],
                             capture_output=True, text=True, check=True).stdout
    packets = [tuple(int(field) for field in line.strip(",").split(",")) for line in listing.split()
               if line.strip(",")]
    with open(good_mp4, "rb") as file:
        data = bytearray(file.read())
    generator = random.Random(15)
    third = len(packets) // 3
    for size, position in packets[third:2 * third]:
        for offset in range(position, position + size):
            data[offset] = generator.randrange(256)
    return write_bytes(path, bytes(data))


def long_path(root, length, name):
    """A path of exactly `length` characters ending in `name`, through
    folders of 250 characters (a file system takes at most 255 per name)."""
    folder = root
    while len(folder) + 1 + 250 + 1 + len(name) < length:
        folder = os.path.join(folder, "d" * 250)
    padding = length - len(folder) - 1 - 1 - len(name)
    expect(padding > 0, "room for a folder of %d characters" % padding)
    folder = os.path.join(folder, "p" * padding)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    expect(len(path) == length, "the long path is %d characters" % len(path))
    return path


def decoded_seconds(path):
    """Seconds of sound the ffmpeg tool decodes from the file, or None when it
    decodes nothing."""
    if not os.path.isfile(path) or os.path.getsize(path) == 0:
        return None
    result = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:a:0", "-f", "s16le", "-ac", "1",
                             "-ar", "8000", "-"], capture_output=True, timeout=120)
    samples = len(result.stdout) // 2
    return samples / 8000 if samples else None


def expect_sound(path, seconds):
    decoded = decoded_seconds(path)
    expect(decoded is not None, "%s decodes" % path)
    if seconds is not None:
        expect(abs(decoded - seconds) <= 0.2, "%s holds %.2f s of sound, not %.2f s" % (path, decoded, seconds))


# Program folders.

def converter_archive_without_tae(path):
    with zipfile.ZipFile(path, "w") as archive:
        archive.writestr("readme.txt", "no converter in here\n")
    return path


def damaged_converter_archive(good_archive, path):
    """The archive with bytes flipped all through its items: its directory is
    whole, every item fails its check sum."""
    with open(good_archive, "rb") as file:
        data = bytearray(file.read())
    directory = data.rfind(b"PK\x01\x02", 0, data.rfind(b"PK\x05\x06"))
    first_directory_entry = data.find(b"PK\x01\x02")
    for offset in range(100, min(directory, first_directory_entry) - 100, 997):
        data[offset] ^= 0x5A
    return write_bytes(path, bytes(data))


def garbage_option_file(path):
    """Random bytes with a few lines that look almost right."""
    text = (b"[TaskSetting]\nOutputFormat=99999999999999999999\nAudioBitrate=-7\nSampleRate=abc\n"
            b"Channel=\x01\x02\nOutputPath=\n[TaskSetting\n=\n\xff\xfe[[[\n")
    return write_bytes(path, text + random_bytes(4000, 1500))


# Processes.

def parent_of(pid):
    try:
        with open("/proc/%d/stat" % pid) as file:
            stat = file.read()
    except OSError:
        return None
    return int(stat[stat.rindex(")") + 2:].split()[1])


def children_of(pid):
    return [int(entry) for entry in os.listdir("/proc") if entry.isdigit() and parent_of(int(entry)) == pid]


def thread_names(pid):
    names = []
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/comm" % (pid, task)) as file:
                names.append(file.read().strip())
        except OSError:
            pass  # it ended meanwhile
    return names


def thread_count(pid):
    """The program's own threads. Qt's thread pool ("Thread (pooled)") lets
    an idle thread go after 30 s, whenever that falls, so its threads are
    left out of the count."""
    return sum(1 for name in thread_names(pid) if name != "Thread (pooled)")


def processes_running(program_path):
    """Processes whose program is `program_path`."""
    running = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if os.readlink("/proc/%s/exe" % entry) == program_path:
                running.append(int(entry))
        except OSError:
            pass
    return running


def converter_path(temporary_folder):
    return os.path.join(temporary_folder, "tolvar-%d" % os.geteuid(), "tae")


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def sanitizer_reports(text):
    return [line for line in text.splitlines() if any(mark in line for mark in SANITIZER_MARKS)]
