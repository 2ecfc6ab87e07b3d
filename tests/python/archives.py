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
