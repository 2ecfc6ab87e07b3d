"""APS Green Book fixed-field text: four-character field codes, values from
the sixth column, continuation lines indented by five spaces, segment lines
(PATN, INVT, ...) on their own."""

import textwrap
import unicodedata

from content import limitation_ending

WIDTH = 74  # value columns per line; lines stay within 79 characters

# Characters that do not fold to ASCII by decomposition.
ASCII_FOLD = str.maketrans({"ø": "o", "Ø": "O", "’": "'", "“": '"', "”": '"', "μ": "u", "ß": "ss"})


def ascii_text(text):
    """APS files are ASCII: fold accented letters to their base letters."""
    decomposed = unicodedata.normalize("NFKD", text.translate(ASCII_FOLD))
    return decomposed.encode("ascii", "ignore").decode("ascii")


def era(date):
    """These grants were published 1976 to 2001: shift the drawn dates back."""
    return "%04d%s" % (int(date[:4]) - 19, date[4:])


def field(code, value):
    """One field: the value wrapped onto continuation lines."""
    lines = textwrap.wrap(ascii_text(value), WIDTH, break_long_words=False, break_on_hyphens=False) or [""]
    out = ["%-4s %s" % (code, lines[0])]
    out += ["     " + line for line in lines[1:]]
    return "\n".join(out).rstrip(" ") + "\n"


def table_field(code, lines):
    """A table keeps its line structure: one continuation line per row."""
    out = ["%-4s %s" % (code, lines[0])] + ["     " + line if line else "" for line in lines[1:]]
    return "\n".join(out) + "\n"


class ApsWriter:
    def __init__(self, pub):
        self.pub = pub
        number = int(pub["number"]) % 1_000_000 + 5_000_000
        self.wku = "0%07d%d" % (number, number % 7)

    @staticmethod
    def inline(tokens):
        out = []
        for kind, value in tokens:
            if kind == "claim":
                out.append("claim %d" % value)
            elif kind == "sup":
                out.append(".sup.%s" % value)
            elif kind == "sub":
                out.append(".sub.%s" % value)
            elif kind == "ent":
                out.append({"rsquo": "'", "deg": ".degree."}[value])
            else:
                out.append(value)
        return "".join(out)

    def block(self, block):
        kind, value = block
        if kind == "heading":
            return field("PAC", value.upper())
        if kind == "p":
            return field("PAR", self.inline(value))
        if kind == "list":
            return "".join(field("PA1", self.inline(item)) for item in value)
        if kind == "table":
            widths = [max(len(cell) for cell in column) + 3 for column in zip(value["header"], *value["rows"])]
            rule = "_" * min(sum(widths), WIDTH)
            rows = ["".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip() for row in [value["header"]] + value["rows"]]
            return field("PAR", "TABLE %d" % value["number"]) + table_field("TBL", [rule, rows[0], rule] + rows[1:] + ["", rule])
        return table_field("EQU", ["%s = %s" % (value["lhs"], ".multidot.".join(value["rhs"]))])

    def blocks(self, blocks):
        return "".join(self.block(block) for block in blocks)

    def head(self):
        pub = self.pub
        application = pub["application"]
        main, further = pub["us_class"]
        out = ["HHHHHT APS1.2 WEEK %02d OF %s\n" % (int(pub["date"][4:6]) * 4, era(pub["date"])[:4]), "PATN\n",
               field("WKU", self.wku), field("SRC", "5"), field("APN", application["number"][2:] + "4"),
               field("APT", "1"), field("ART", "241"), field("APD", era(application["date"])), field("TTL", pub["title"]),
               field("ISD", era(pub["date"])), field("NCL", str(len(pub["claims"]))), field("ECL", "1"),
               field("EXP", "%s; %s" % (pub["examiners"][0]["family"], pub["examiners"][0]["given"])),
               field("EXA", "%s; %s" % (pub["examiners"][1]["family"], pub["examiners"][1]["given"])),
               field("NDR", str(len(pub["figures"]) // 2)), field("NFG", str(len(pub["figures"])))]
        for person in pub["inventors"]:
            given = person["given"] + (" " + person["middle"] if person["middle"] else "")
            out += ["INVT\n", field("NAM", "%s; %s" % (person["family"], given)), field("CTY", person["city"])]
            out.append(field("STA", person["state"]) if person["state"] else field("CNT", person["country"] + "X"))
        for org in pub["assignees"]:
            out += ["ASSG\n", field("NAM", org["name"]), field("CTY", org["city"])]
            out.append(field("STA", org["state"]) if org["state"] else field("CNT", org["country"] + "X"))
            out.append(field("COD", "02"))
        parent, parent_date = pub["related"]["parent"]
        out += ["RLAP\n", field("COD", "71"), field("APN", parent[2:]), field("APD", era(parent_date)), field("PSC", "03"),
                "CLAS\n", field("OCL", main.replace("/", " "))]
        out += [field("XCL", code.replace("/", " ")) for code in further]
        out.append(field("EDF", "6"))
        out += [field("ICL", "%s%s%s %s%s" % (c["section"], c["class"], c["subclass"], c["main_group"].rjust(3), c["subgroup"][:2]))
                for c in pub["ipcr"]]
        out += [field("FSC", main.split("/")[0]), field("FSS", ";".join(code.split("/")[1] for code in further))]
        for c in pub["citations"]:
            if "npl" in c:
                out += ["OREF\n", field("PAL", c["npl"])]
            elif c["country"] == "US":
                out += ["UREF\n", field("PNO", c["doc_number"][:7]), field("ISD", era(c["date"])), field("NAM", c["name"]),
                        field("OCL", c["us_class"][:3] + " " + c["us_class"][3:])]
            else:
                out += ["FREF\n", field("PNO", c["doc_number"]), field("ISD", era(c["date"])), field("CNT", c["country"] + "X")]
        out += ["LREP\n", field("FRM", pub["agent"]), "ABST\n"]
        out += [field("PAL", self.inline(p)) for p in pub["abstract"]]
        out += ["BSUM\n", self.blocks(pub["related_text"]), self.blocks(pub["summary"]),
                "DRWD\n", self.blocks(pub["drawings"]), "DETD\n"]
        return "".join(out)

    def middle(self):
        return ""

    def claim_items(self, items, level, out):
        for n, item in enumerate(items):
            ending = limitation_ending(n, len(items), bool(item["items"]))
            out.append(field("PA%d" % level, self.inline(item["tokens"]) + ending))
            self.claim_items(item["items"], level + 1, out)

    def claims(self):
        out = ["CLMS\n", field("STM", "What is claimed is:")]
        for claim in self.pub["claims"]:
            out += [field("NUM", "%d." % claim["number"]), field("PAR", self.inline(claim["head"]))]
            self.claim_items(claim["items"], 1, out)
        return "".join(out)

    def end(self):
        return ""
