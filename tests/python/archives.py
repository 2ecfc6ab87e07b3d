"""Archives made on the fly, the way the USPTO ships bulk files: zip, tar
(plain or gzip-compressed) and single gzip files."""
import gzip
import io
import pathlib
import tarfile
import zipfile

DIRECTORY = None  # a member value that makes a directory entry


def write_archive(path: pathlib.Path, members: dict[str, bytes | None]) -> pathlib.Path:
    """Writes `members` (name -> content, DIRECTORY for a directory) into an
    archive of the kind the name of `path` says, in the given order; a .gz
    takes the one member's content."""
    name = path.name
    if name.endswith(".zip"):
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
            for member, content in members.items():
                if content is DIRECTORY:
                    archive.writestr(zipfile.ZipInfo(member.rstrip("/") + "/"), b"")
                else:
                    archive.writestr(member, content)
    elif name.endswith((".tar", ".tar.gz", ".tgz")):
        with tarfile.open(path, "w" if name.endswith(".tar") else "w:gz") as archive:
            for member, content in members.items():
                info = tarfile.TarInfo(member)
                if content is DIRECTORY:
                    info.type = tarfile.DIRTYPE
                    archive.addfile(info)
                else:
                    info.size = len(content)
                    archive.addfile(info, io.BytesIO(content))
    elif name.endswith(".gz"):
        (content,) = members.values()
        path.write_bytes(gzip.compress(content))
    else:
        raise ValueError(f"not an archive name: {name}")
    return path


def unpack(members: dict[str, bytes | None], directory: pathlib.Path) -> list[pathlib.Path]:
    """Writes the publications among `members` as plain files, each under its
    own name, and returns them in member order."""
    paths = []
    for member, content in members.items():
        if content is DIRECTORY or not member.lower().endswith((".xml", ".txt", ".aps")):
            continue
        path = directory / pathlib.PurePosixPath(member).name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
        paths.append(path)
    return paths


def _octal_or_base256(value: int, width: int) -> bytes:
    """A tar number field: octal while it fits, GNU base-256 beyond."""
    text = b"%0*o\0" % (width - 1, value)
    if len(text) == width:
        return text
    return b"\x80" + value.to_bytes(width - 1, "big")


def write_sparse_tar(path: pathlib.Path, name: str, chunks: list[tuple[int, bytes]], size: int) -> pathlib.Path:
    """Writes a tar of one GNU sparse member of `size` bytes that holds only
    `chunks` (offset, data), at most four, in order; the rest are holes."""
    assert len(chunks) <= 4
    header = bytearray(512)
    header[0 : len(name)] = name.encode()
    header[100:108] = b"0000644\0"
    header[108:116] = header[116:124] = b"0000000\0"
    stored = b"".join(data for _, data in chunks)
    header[124:136] = _octal_or_base256(len(stored), 12)
    header[136:148] = b"00000000000\0"
    header[156:157] = b"S"
    header[257:265] = b"ustar  \0"
    for number, (offset, data) in enumerate(chunks):
        at = 386 + 24 * number
        header[at : at + 12] = _octal_or_base256(offset, 12)
        header[at + 12 : at + 24] = _octal_or_base256(len(data), 12)
    header[483:495] = _octal_or_base256(size, 12)
    header[148:156] = b" " * 8
    header[148:156] = b"%06o\0 " % sum(header)
    padding = b"\0" * (-len(stored) % 512)
    path.write_bytes(bytes(header) + stored + padding + b"\0" * 1024)
    return path


def write_zip_with_corrupt_member(path: pathlib.Path, members: dict[str, bytes], marker: bytes) -> pathlib.Path:
    """Writes `members` stored uncompressed into the zip at `path`, then
    changes one byte of the member holding `marker` (the byte after its
    first), so that member fails its CRC."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as archive:
        for member, content in members.items():
            archive.writestr(member, content)
    data = bytearray(path.read_bytes())
    data[data.index(marker) + 1] ^= 0x20
    path.write_bytes(bytes(data))
    return path
