"""The content of one synthetic publication, independent of any file format.

`publication()` draws the bibliographic data, abstract, the fixed parts of the
description and the claims; `detailed_blocks()` yields the blocks of the
detailed description for as long as the caller wants more, so each writer can
stop at the size it aims for.

Description blocks are tuples:

    ("heading", text)
    ("p", tokens)                          a paragraph (tokens: see prose.py)
    ("list", [tokens, ...])                an enumerated list inside a paragraph
    ("table", {"number", "header", "rows"})
    ("math", {"number", "lhs", "rhs"})     a displayed equation
"""

from prose import ADJECTIVES, NOUNS, Prose

CLAIM_SUBJECTS = (
    ("A method", "The method"),
    ("A system", "The system"),
    ("An apparatus", "The apparatus"),
    ("A non-transitory computer-readable medium storing instructions that, when executed by a processor, cause the processor to perform operations", "The medium"),
)


def limitation_ending(index, count, has_items):
    """The punctuation closing limitation `index` of `count`: ";", "; and" before the last, "." on the last.
    A limitation that introduces nested ones ends with its own colon instead."""
    if has_items:
        return ""
    if index == count - 1:
        return "."
    return "; and" if index == count - 2 else ";"


class InlineMarkup:
    """Writes inline tokens with one format's tags: `tags` maps a token kind
    to a %-template of its value (claim references get the number twice)."""

    def __init__(self, tags, escape):
        self.tags = tags
        self.escape = escape
        self.entities = 0

    def write(self, tokens):
        out = []
        for kind, value in tokens:
            if kind == "text":
                out.append(self.escape(value))
            elif kind == "ent":
                self.entities += 1
                out.append(entity_spelling(value, self.entities))
            elif kind == "claim":
                out.append(self.tags[kind] % (value, value))
            elif kind == "ital":
                out.append(self.tags[kind] % self.escape(value))
            else:
                out.append(self.tags[kind] % value)
        return "".join(out)


def entity_spelling(name, nth):
    """USPTO XML writes a character both ways: as a named reference that only
    the external DTD declares, and as a numeric character reference."""
    if nth % 2:
        return "&%s;" % name
    return {"rsquo": "&#x2019;", "deg": "&#xb0;"}[name]


def date(rng, year_low, year_high):
    return "%04d%02d%02d" % (rng.randint(year_low, year_high), rng.randint(1, 12), rng.randint(1, 28))


def classification(rng):
    return {"section": rng.choice("ABCDEFGH"), "class": "%02d" % rng.randint(1, 99),
            "subclass": rng.choice("BCDFGHJKLMNPQ"), "main_group": str(rng.randint(1, 99)),
            "subgroup": "%02d" % rng.randint(0, 99) if rng.random() < 0.5 else str(rng.randint(100, 9999))}


def citation(rng, prose, number):
    if rng.random() < 0.2:
        person = prose.person()
        return {"num": number, "npl": "%s et al., \u201c%s,\u201d Journal of Applied %s, vol. %d, pp. %d-%d, %d." % (
            person["family"], prose.title(), rng.choice(("Physics", "Mechanics", "Electronics", "Optics")),
            rng.randint(1, 80), rng.randint(1, 400), rng.randint(401, 900), rng.randint(1985, 2016))}
    country = rng.choice(("US", "US", "US", "US", "JP", "EP", "WO", "DE", "CN"))
    if country == "US":
        doc_number = rng.choice(("%d" % rng.randint(4000000, 9999999), "%d%07d" % (rng.randint(2001, 2016), rng.randint(1, 300000))))
        kind = "A1" if len(doc_number) == 11 else rng.choice(("A", "B1", "B2"))
    else:
        doc_number = "%d%05d" % (rng.randint(1990, 2016), rng.randint(1, 99999))
        kind = "A"
    return {"num": number, "country": country, "doc_number": doc_number, "kind": kind,
            "name": prose.person()["family"], "date": date(rng, 1985, 2016)[:6] + "00",
            "category": rng.choice(("cited by examiner", "cited by applicant")),
            "cpc": "%s%s%s %s/%s" % tuple(classification(rng).values()), "us_class": "%d%d" % (rng.randint(100, 999), rng.randint(1, 500))}


def drawing_paragraph(prose, figure):
    view = prose.pick(("a block diagram", "a perspective view", "a cross-sectional view", "a flow chart",
                       "a schematic diagram", "a timing diagram", "an exploded view", "a top plan view"))
    return [("fig", figure), ("text", " is %s of %s %s according to %s." % (
        view, prose.pick(("an exemplary", "a portion of the", "an alternative")), prose.pick(NOUNS),
        prose.pick(("an embodiment", "some embodiments", "a further embodiment"))))]


def claim_items(prose, depth):
    """The nested limitations of a claim, each {"tokens", "items"}."""
    rng = prose.rng
    items = []
    for _ in range(rng.randint(3, 6) if depth == 0 else rng.randint(2, 3)):
        item = {"tokens": prose.claim_limitation(), "items": []}
        if depth < 2 and rng.random() < 0.3:
            item["tokens"].append(("text", ", wherein the %s comprises:" % prose.pick(NOUNS)))
            item["items"] = claim_items(prose, depth + 1)
        items.append(item)
    return items


def claims(prose, count):
    rng = prose.rng
    result = []
    independent = None
    subject = CLAIM_SUBJECTS[0]
    for number in range(1, count + 1):
        if independent is None or rng.random() < 0.06:
            subject = CLAIM_SUBJECTS[(number // 7) % len(CLAIM_SUBJECTS)]
            independent = number
            head = [("text", "%d. %s comprising:" % (number, subject[0]))]
            result.append({"number": number, "head": head, "items": claim_items(prose, 0)})
            continue
        parent = rng.choice((independent, rng.randint(independent, number - 1)))
        head = [("text", "%d. %s of " % (number, subject[1])), ("claim", parent), ("text", ", ")]
        items = []
        if rng.random() < 0.25:
            head.append(("text", "further comprising:"))
            items = claim_items(prose, 1)
        else:
            head.extend(prose.claim_wherein())
            head.append(("text", "."))
        result.append({"number": number, "head": head, "items": items})
    return result


def publication(rng, grant, size):
    """Everything but the detailed description, scaled to a document of `size` bytes."""
    prose = Prose(rng)
    megabytes = max(1, size // 1_000_000)
    filed = date(rng, 2010, 2014)
    pub = {
        "grant": grant,
        "prose": prose,
        "number": "%08d" % rng.randint(8000000, 10999999) if grant else "2015%07d" % rng.randint(1, 399999),
        "kind": "B2" if grant else "A1",
        "date": date(rng, 2015, 2018),
        "application": {"number": "%d%06d" % (rng.randint(13, 15), rng.randint(0, 999999)), "date": filed,
                        "series": "14", "type": "utility"},
        "title": prose.title(),
        "ipcr": [classification(rng) for _ in range(rng.randint(3, 8))],
        "cpc": [classification(rng) for _ in range(rng.randint(4, 12))],
        "us_class": ("%d/%d" % (rng.randint(100, 999), rng.randint(1, 500)),
                     ["%d/%d" % (rng.randint(100, 999), rng.randint(1, 500)) for _ in range(3)]),
        "citations": [citation(rng, prose, n) for n in range(1, 120 * megabytes + 1)] if grant else [],
        "related": {"parent": ("%d%06d" % (rng.randint(11, 13), rng.randint(0, 999999)), date(rng, 2005, 2010)),
                    "provisional": ("61%06d" % rng.randint(0, 999999), date(rng, 2004, 2009))},
        "inventors": [prose.person() for _ in range(rng.randint(8, 16))],
        "applicants": [prose.organisation() for _ in range(rng.randint(2, 4))],
        "assignees": [prose.organisation() for _ in range(rng.randint(1, 3))],
        "agent": prose.law_firm(),
        "examiners": [prose.person(), prose.person()],
        "abstract": [prose.paragraph(4, 6)],
        "figures": prose.figures,
    }
    pub["related_text"] = [("heading", "CROSS-REFERENCE TO RELATED APPLICATIONS"), ("p", [(
        "text", "This application is a continuation of U.S. application Ser. No. %s, filed %s, which claims the benefit "
        "of U.S. Provisional Application No. %s, filed %s, the entire contents of each of which are incorporated herein by reference."
        % (pub["related"]["parent"][0], pub["related"]["parent"][1], pub["related"]["provisional"][0], pub["related"]["provisional"][1]))])]
    summary = [("heading", "BACKGROUND"), ("heading", "Technical Field")]
    summary += [("p", prose.paragraph()) for _ in range(3)]
    summary += [("heading", "Description of Related Art")] + [("p", prose.paragraph()) for _ in range(4)]
    summary += [("heading", "SUMMARY")] + [("p", prose.paragraph()) for _ in range(8 * megabytes)]
    pub["summary"] = summary
    pub["drawings"] = [("heading", "BRIEF DESCRIPTION OF THE DRAWINGS")] + [
        ("p", drawing_paragraph(prose, figure)) for figure in prose.figures]
    pub["claims"] = claims(prose, 200 + 40 * megabytes)
    return pub


def detailed_blocks(pub):
    """The detailed description, block after block, without end."""
    prose = pub["prose"]
    rng = prose.rng
    yield ("heading", "DETAILED DESCRIPTION")
    tables = maths = 0
    first = True
    while True:
        if not first:
            yield ("heading", prose.heading())
        first = False
        for _ in range(rng.randint(6, 16)):
            roll = rng.random()
            if roll < 0.04:
                tables += 1
                columns = rng.randint(3, 6)
                header = ["Sample"] + ["%s (%s)" % (rng.choice(ADJECTIVES).title(), rng.choice(("nm", "mA", "%", "kPa", "s"))) for _ in range(columns - 1)]
                rows = [["%d" % (row + 1)] + ["%.2f" % (rng.random() * 1000) for _ in range(columns - 1)]
                        for row in range(rng.randint(4, 18))]
                yield ("table", {"number": tables, "header": header, "rows": rows})
            elif roll < 0.06:
                maths += 1
                yield ("math", {"number": maths, "lhs": rng.choice("VPQEF"), "rhs": [rng.choice("IRkxt") for _ in range(3)]})
            elif roll < 0.09:
                yield ("list", [prose.paragraph(1, 2) for _ in range(rng.randint(3, 6))])
            else:
                yield ("p", prose.paragraph())
