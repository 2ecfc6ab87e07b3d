"""Grant v2.5 XML: the WIPO ST.32 vocabulary (PATDOC, SDOBI, B100 ..., PDAT)."""

from xml.sax.saxutils import escape

from content import entity_spelling, limitation_ending


def era(date):
    """These grants were published 2001 to 2004: shift the drawn dates back."""
    return "%04d%s" % (int(date[:4]) - 14, date[4:])


def pdat(text):
    return "<PDAT>%s</PDAT>" % escape(text)


def stext(text):
    return "<STEXT>%s</STEXT>" % pdat(text)


class St32Writer:
    def __init__(self, pub):
        self.pub = pub
        self.number = "%08d" % (int(pub["number"]) % 500_000 + 6_300_000)
        self.date = era(pub["date"])
        self.file = "US%s-%s" % (self.number, self.date)
        self.paragraphs = 0
        self.entities = 0

    # Inline content: every run of character data sits in its own PDAT.

    def inline(self, tokens):
        out = []
        run = []

        def flush():
            if run:
                out.append("<PDAT>%s</PDAT>" % "".join(run))
                run.clear()

        for kind, value in tokens:
            if kind == "text":
                run.append(escape(value))
                continue
            if kind == "ent":
                self.entities += 1
                run.append(entity_spelling(value, self.entities))
                continue
            flush()
            if kind == "ref":
                out.append("<BOLD>%s</BOLD>" % pdat(value))
            elif kind == "fig":
                out.append('<FGREF ID="DRAWINGS">%s</FGREF>' % pdat(value))
            elif kind == "claim":
                out.append('<CLREF ID="CLM-%05d">%s</CLREF>' % (value, pdat("claim %d" % value)))
            elif kind == "ital":
                out.append("<ITALIC>%s</ITALIC>" % pdat(value))
            elif kind == "sup":
                out.append("<SP>%s</SP>" % pdat(value))
            elif kind == "sub":
                out.append("<SB>%s</SB>" % pdat(value))
        flush()
        return "".join(out)

    def para(self, tokens, level=0):
        self.paragraphs += 1
        return '<PARA ID="P-%05d" LVL="%d"><PTEXT>%s</PTEXT></PARA>\n' % (self.paragraphs, level, self.inline(tokens))

    def table(self, table):
        columns = len(table["header"])
        lines = ['<TABLE-US ID="TABLE-US-%05d">' % table["number"],
                 '<table frame="none" colsep="0" rowsep="0" tabstyle="monospace">',
                 '<tgroup align="left" colsep="0" rowsep="0" cols="%d">' % columns]
        lines += ['<colspec colname="%d" colwidth="%dpt" align="center"/>' % (c + 1, 42 + 7 * c) for c in range(columns)]
        lines += ["<thead>", "<row>"] + ["<entry>%s</entry>" % pdat(cell) for cell in table["header"]] + ["</row>", "</thead>",
                                                                                                           '<tbody valign="top">']
        for row in table["rows"]:
            lines += ["<row>"] + ["<entry>%s</entry>" % pdat(cell) for cell in row] + ["</row>"]
        lines += ["</tbody>", "</tgroup>", "</table>", "</TABLE-US>"]
        return "\n".join(lines) + "\n"

    def block(self, block):
        kind, value = block
        if kind == "heading":
            return '<H LVL="%d">%s</H>\n' % (1 if value.isupper() else 2, stext(value))
        if kind == "p":
            return self.para(value)
        if kind == "list":
            return "".join(self.para(item, 1) for item in value)
        if kind == "table":
            return self.table(value)
        number = value["number"]
        return '<MATH-US ID="MATH-US-%05d"><EMI ID="EMI-M%05d" FILE="%s-M%05d.TIF" IMF="TIFF" TI="MF"/></MATH-US>\n' % (
            number, number, self.file, number)

    def blocks(self, blocks):
        return "".join(self.block(block) for block in blocks)

    # Bibliographic data.

    @staticmethod
    def doc(number, date=None, kind=None):
        out = "<DOC><DNUM>%s</DNUM>" % pdat(number)
        if date:
            out += "<DATE>%s</DATE>" % pdat(date)
        if kind:
            out += "<KIND>%s</KIND>" % pdat(kind)
        return out + "</DOC>"

    @staticmethod
    def person_name(person):
        given = person["given"] + (" " + person["middle"] if person["middle"] else "")
        return "<NAM><FNM>%s</FNM><SNM>%s</SNM></NAM>" % (pdat(given), stext(person["family"]))

    @staticmethod
    def address(party):
        out = "<ADR><CITY>%s</CITY>" % pdat(party["city"])
        if party["state"]:
            out += "<STATE>%s</STATE>" % pdat(party["state"])
        else:
            out += "<CTRY>%s</CTRY>" % pdat(party["country"])
        return out + "</ADR>"

    def citations(self):
        out = ["<B560>"]
        for c in self.pub["citations"]:
            if "npl" in c:
                out.append("<B562><NCIT>%s</NCIT><CITED-BY-OTHER/></B562>" % stext(c["npl"]))
                continue
            cited = "<CITED-BY-EXAMINER/>" if c["category"] == "cited by examiner" else "<CITED-BY-OTHER/>"
            if c["country"] == "US":
                out.append("<B561><PCIT>%s<PARTY-US><NAM><SNM>%s</SNM></NAM></PARTY-US><PNC>%s</PNC></PCIT>%s</B561>" % (
                    self.doc(c["doc_number"], era(c["date"]), c["kind"]), stext(c["name"]), pdat(c["us_class"]), cited))
            else:
                out.append("<B561><PCIT>%s<CTRY>%s</CTRY></PCIT>%s</B561>" % (
                    self.doc(c["doc_number"], era(c["date"])), pdat(c["country"]), cited))
        out.append("</B560>")
        return "\n".join(out)

    def bibliographic(self):
        pub = self.pub
        application = pub["application"]
        main, further = pub["us_class"]
        ipc = ["%s%s%s %s%s" % (c["section"], c["class"], c["subclass"], c["main_group"].rjust(2), c["subgroup"][:2]) for c in pub["ipcr"]]
        parent, parent_date = pub["related"]["parent"]
        provisional, provisional_date = pub["related"]["provisional"]
        primary, assistant = pub["examiners"]
        out = ["<SDOBI>",
               "<B100>", "<B110><DNUM>%s</DNUM></B110>" % pdat(self.number), "<B130>%s</B130>" % pdat(pub["kind"]),
               "<B140><DATE>%s</DATE></B140>" % pdat(self.date), "<B190>%s</B190>" % pdat("US"), "</B100>",
               "<B200>", "<B210><DNUM>%s</DNUM></B210>" % pdat("09" + application["number"][2:]),
               "<B211US>%s</B211US>" % pdat(application["type"]),
               "<B220><DATE>%s</DATE></B220>" % pdat(era(application["date"])), "</B200>",
               "<B400><B472><B474>%s</B474></B472></B400>" % pdat("%d" % (len(pub["title"]) * 7)),
               "<B500>", "<B510>", "<B511>%s</B511>" % pdat(ipc[0])]
        out += ["<B512>%s</B512>" % pdat(code) for code in ipc[1:]]
        out += ["<B516>%s</B516>" % pdat("7"), "</B510>", "<B520>", "<B521>%s</B521>" % pdat(main.replace("/", ""))]
        out += ["<B522>%s</B522>" % pdat(f.replace("/", "")) for f in further]
        out += ["</B520>", "<B540>%s</B540>" % stext(pub["title"]), self.citations(),
                "<B570><B577>%s</B577><B578US>%s</B578US></B570>" % (pdat(str(len(pub["claims"]))), pdat("1")),
                "<B580><B581>%s</B581></B580>" % pdat(main.split("/")[0]),
                "<B590><B595>%s</B595><B596>%s</B596></B590>" % (pdat(str(len(pub["figures"]) // 2)), pdat(str(len(pub["figures"])))),
                "</B500>",
                "<B600>", "<B620><PARENT-US><CDOC>%s</CDOC><PDOC>%s</PDOC><PSTA>%s</PSTA></PARENT-US></B620>" % (
                    self.doc("09" + application["number"][2:]), self.doc(parent, era(parent_date)), pdat("ABANDONED")),
                "<B680US>%s</B680US>" % self.doc(provisional, era(provisional_date)), "</B600>",
                "<B700>", "<B720>"]
        out += ["<B721><PARTY-US>%s%s</PARTY-US></B721>" % (self.person_name(p), self.address(p)) for p in pub["inventors"]]
        out.append("</B720>")
        for org in pub["assignees"]:
            out.append("<B730><B731><PARTY-US><NAM><ONM>%s</ONM></NAM>%s</PARTY-US></B731><B732US>%s</B732US></B730>" % (
                stext(org["name"]), self.address(org), pdat("02")))
        out += ["<B740><B741><PARTY-US><NAM><ONM>%s</ONM></NAM></PARTY-US></B741></B740>" % stext(pub["agent"]),
                "<B745><B746><PARTY-US>%s</PARTY-US></B746><B747><PARTY-US>%s</PARTY-US></B747></B745>" % (
                    self.person_name(primary), self.person_name(assistant)),
                "</B700>", "</SDOBI>"]
        return "\n".join(out)

    # The document.

    def figure_files(self):
        return ["%s-D%05d.TIF" % (self.file, n) for n in range(len(self.pub["figures"]))]

    def head(self):
        pub = self.pub
        declarations = "".join('<!ENTITY %s SYSTEM "%s" NDATA TIF>\n' % (name, name) for name in self.figure_files())
        out = ['<?xml version="1.0" encoding="UTF-8"?>',
               '<!DOCTYPE PATDOC SYSTEM "ST32-US-Grant-025xml.dtd" [\n%s]>' % declarations,
               '<PATDOC DTD="2.5" STATUS="Build 20021230">', self.bibliographic(), "<SDOAB>", "<BTEXT>"]
        out += [self.para(p).rstrip("\n") for p in pub["abstract"]]
        out += ["</BTEXT>", "</SDOAB>", '<SDODR ID="DRAWINGS">']
        out += ['<EMI ID="EMI-D%05d" HE="201.00" WI="160.00" FILE="%s" IMF="TIFF"/>' % (n, name) for n, name in enumerate(self.figure_files())]
        out += ["</SDODR>", "<SDODE>", "<RELAPP>", "<BTEXT>", self.blocks(pub["related_text"]) + "</BTEXT>", "</RELAPP>",
                "<BRFSUM>", "<BTEXT>", self.blocks(pub["summary"]) + "</BTEXT>", "</BRFSUM>",
                "<DRWDESC>", "<BTEXT>", self.blocks(pub["drawings"]) + "</BTEXT>", "</DRWDESC>", "<DETDESC>", "<BTEXT>"]
        return "\n".join(out) + "\n"

    def middle(self):
        return "</BTEXT>\n</DETDESC>\n</SDODE>\n"

    def claim_steps(self, claim, items, level, out):
        for n, item in enumerate(items):
            ending = [("text", limitation_ending(n, len(items), bool(item["items"])))]
            self.paragraphs += 1
            out.append('<CLMSTEP ID="CLM-%05d-%d" LVL="%d"><PTEXT>%s</PTEXT></CLMSTEP>' % (
                claim["number"], len(out), level, self.inline(item["tokens"] + ending)))
            self.claim_steps(claim, item["items"], level + 1, out)

    def claims(self):
        out = ["<SDOCL>", '<H LVL="1">%s</H>' % stext("What is claimed is:"), "<CL>"]
        for claim in self.pub["claims"]:
            self.paragraphs += 1
            parts = ['<PARA ID="P-%05d" LVL="0"><PTEXT>%s</PTEXT></PARA>' % (self.paragraphs, self.inline(claim["head"]))]
            self.claim_steps(claim, claim["items"], 1, parts)
            out.append('<CLM ID="CLM-%05d">\n%s\n</CLM>' % (claim["number"], "\n".join(parts)))
        out += ["</CL>", "</SDOCL>"]
        return "\n".join(out) + "\n"

    def end(self):
        return "</PATDOC>\n"
