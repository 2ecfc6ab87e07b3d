"""Patent-style prose as format-neutral token lists.

A sentence is a list of tokens; each document writer turns the tokens into
its own markup:

    ("text", str)      plain text, unescaped (writers escape it for XML)
    ("ref", str)       a reference numeral, e.g. "102" (bold in the XML formats)
    ("fig", str)       a figure reference, e.g. "FIG. 3A"
    ("claim", int)     a reference to a claim by number
    ("ital", str)      an italic phrase, e.g. "in situ"
    ("sup", str)       a superscript, e.g. the 3 of 10^3
    ("sub", str)       a subscript, e.g. the 2 of H2O
    ("ent", str)       a named character entity, e.g. "rsquo" or "deg"

Everything is drawn from one random.Random, so a seed fixes the text.
"""

NOUNS = (
    "actuator", "adapter", "amplifier", "antenna", "aperture", "armature", "assembly", "bearing",
    "bracket", "buffer", "bus", "cable", "capacitor", "carrier", "cartridge", "casing", "cavity",
    "channel", "chassis", "circuit", "clamp", "coil", "collar", "comparator", "compressor", "conductor",
    "conduit", "connector", "controller", "converter", "coupler", "cover", "damper", "decoder",
    "detector", "diaphragm", "diode", "display", "electrode", "emitter", "enclosure", "encoder",
    "engine", "fastener", "filter", "flange", "frame", "gasket", "gate", "gear", "generator",
    "grating", "guide", "handle", "heat sink", "hinge", "housing", "hub", "impeller", "inductor",
    "inlet", "insulator", "interface", "inverter", "joint", "lens", "lever", "linkage", "manifold",
    "membrane", "memory", "modulator", "module", "motor", "nozzle", "oscillator", "outlet", "panel",
    "piston", "pivot", "plate", "platform", "port", "processor", "pump", "rail", "receiver",
    "reflector", "regulator", "relay", "reservoir", "resistor", "resonator", "rotor", "scanner",
    "seal", "sensor", "shaft", "shield", "sleeve", "socket", "spacer", "spring", "stator",
    "substrate", "switch", "terminal", "transceiver", "transducer", "transformer", "transistor",
    "transmitter", "tube", "turbine", "valve", "waveguide", "wheel", "window", "winding",
)

ADJECTIVES = (
    "adjacent", "annular", "auxiliary", "axial", "central", "circumferential", "compliant",
    "conductive", "conical", "curved", "cylindrical", "dielectric", "distal", "elastic", "elongated",
    "external", "first", "flexible", "fourth", "inner", "insulating", "internal", "lateral", "lower",
    "magnetic", "movable", "opposing", "optical", "outer", "peripheral", "planar", "porous",
    "primary", "proximal", "radial", "rectangular", "removable", "rigid", "second", "secondary",
    "sealed", "stationary", "third", "threaded", "transparent", "tubular", "upper",
)

VERBS = (
    "adjust", "align", "amplify", "attenuate", "bias", "calibrate", "compress", "compute", "control",
    "convert", "couple", "decode", "deflect", "detect", "determine", "direct", "disengage", "drive",
    "encode", "engage", "estimate", "filter", "generate", "guide", "heat", "isolate", "limit",
    "measure", "modulate", "monitor", "position", "receive", "reduce", "regulate", "release",
    "retain", "rotate", "sample", "secure", "select", "store", "support", "synchronize", "transmit",
)

SIGNALS = (
    "control signal", "data stream", "feedback signal", "clock signal", "reference voltage",
    "sensor output", "drive current", "error value", "threshold value", "operating parameter",
    "temperature reading", "pressure value", "position estimate", "timing offset", "power level",
)

MATERIALS = (
    "stainless steel", "aluminum", "titanium", "copper", "polyethylene", "polypropylene",
    "polycarbonate", "polyimide", "silicone rubber", "glass fiber", "carbon fiber", "silicon nitride",
    "aluminum oxide", "silicon dioxide", "gallium nitride", "indium tin oxide", "ceramic", "nickel alloy",
)

DIMENSIONS = (("thickness", "nm"), ("thickness", "μm"), ("length", "mm"), ("width", "mm"), ("resonant frequency", "kHz"),
              ("operating pressure", "kPa"), ("response time", "ms"), ("supply voltage", "mV"))

CHEMICALS = (("H", "2", "O"), ("CO", "2", ""), ("SiO", "2", ""), ("Al", "2", "O3"), ("N", "2", ""))

OPENERS = (
    "In some embodiments,", "In one embodiment,", "In various embodiments,", "In certain implementations,",
    "In other examples,", "Alternatively,", "Additionally,", "In a further aspect,", "For example,",
    "In this arrangement,", "As a result,", "Accordingly,",
)

BOILERPLATE = (
    "It should be understood that the examples described herein are illustrative and not limiting.",
    "Those skilled in the art will appreciate that numerous modifications may be made without departing from the scope of the disclosure.",
    "The terms first and second are used only to distinguish one element from another and do not imply any order.",
    "As used herein, the singular forms a, an and the include plural referents unless the context clearly dictates otherwise.",
    "Such variations are within the scope of the present disclosure.",
)

GIVEN_NAMES = (
    "James", "Mary", "Wei", "Priya", "Hiroshi", "Anna", "Carlos", "Fatima", "Lars", "Olga", "David",
    "Min-jun", "Sofia", "Rahul", "Elena", "Thomas", "Yuki", "Ahmed", "Chloé", "José", "Søren", "Zoë",
    "Michael", "Jennifer", "Robert", "Linda", "Kenji", "Aisha", "Pavel", "Ingrid",
)

FAMILY_NAMES = (
    "Smith", "Nguyen", "Zhang", "Patel", "Tanaka", "Müller", "Garcia", "Kowalski", "Johansson",
    "Ivanova", "Kim", "Rossi", "O’Brien", "Schmidt", "Chen", "Yamamoto", "Hernandez", "Okafor",
    "Dubois", "Andersen", "Novak", "Takahashi", "Brown", "Lee", "Wilson", "Fischer", "Lindqvist",
)

PLACES = (
    ("Austin", "TX", "US"), ("San Jose", "CA", "US"), ("Boston", "MA", "US"), ("Seattle", "WA", "US"),
    ("Portland", "OR", "US"), ("Raleigh", "NC", "US"), ("Ann Arbor", "MI", "US"), ("Boulder", "CO", "US"),
    ("Tokyo", None, "JP"), ("Munich", None, "DE"), ("Seoul", None, "KR"), ("Shenzhen", None, "CN"),
    ("Eindhoven", None, "NL"), ("Espoo", None, "FI"), ("Haifa", None, "IL"), ("Zürich", None, "CH"),
)

ORG_STEMS = (
    "Relay", "Apex", "Northwind", "Blue Ridge", "Helix", "Quantum Flow", "Meridian", "Silverline",
    "Cascade", "Ironwood", "Lumen", "Vector", "Keystone", "Polaris", "Summit", "Tidewater",
)

ORG_KINDS = (
    "Systems, Inc.", "Technologies LLC", "Corporation", "GmbH", "Co., Ltd.", "Devices, Inc.",
    "Instruments AG", "Labs, Inc.", "Semiconductor Corp.", "Medical, Inc.",
)

LAW_FIRMS = (
    "Baker & Lane LLP", "Fish, Hart & Rowe P.C.", "Morgan Whitfield LLP", "Harrow & Quill PLLC",
    "Stern, Kessler & Goldstein", "Lee & Hayes, P.C.",
)


def join(*parts):
    return " ".join(p for p in parts if p)


def a(words):
    """"a sensor", "an actuator"."""
    return ("an " if words[0] in "aeiou" else "a ") + words


def gerund(verb):
    """"rotate" -> "rotating", "transmit" -> "transmitting"."""
    if verb in ("transmit", "control"):
        return verb + verb[-1] + "ing"
    if verb.endswith("e"):
        return verb[:-1] + "ing"
    return verb + "ing"


class Prose:
    """Deterministic generator of patent sentences, paragraphs and names."""

    def __init__(self, rng):
        self.rng = rng
        self.numerals = {}
        self.next_numeral = 100
        self.figures = ["FIG. %d" % n for n in range(1, 13)] + ["FIG. %dA" % n for n in range(2, 7)]

    def pick(self, items):
        return self.rng.choice(items)

    def numeral(self, noun):
        """The reference numeral of a noun; the first use assigns the next free one."""
        if noun not in self.numerals:
            self.numerals[noun] = str(self.next_numeral)
            self.next_numeral += 2
            if self.next_numeral % 100 == 0:
                self.next_numeral += 2
        return self.numerals[noun]

    def element(self, tokens, article="the"):
        """Appends "the adjective noun 123" to tokens."""
        noun = self.pick(NOUNS)
        adjective = self.pick(ADJECTIVES) if self.rng.random() < 0.6 else None
        words = join(adjective, noun)
        tokens.append(("text", (a(words) if article == "a" else join(article, words)) + " "))
        tokens.append(("ref", self.numeral(join(adjective, noun))))

    def quantity(self, tokens, unit):
        low = self.rng.randint(1, 90)
        high = low + self.rng.randint(5, 400)
        tokens.append(("text", "from about %d %s to about %d %s" % (low, unit, high, unit)))

    def materials(self):
        return "%s, %s, %s, or combinations thereof" % tuple(self.rng.sample(MATERIALS, 3))

    def sentence(self):
        rng = self.rng
        tokens = []
        shape = rng.randrange(10)
        if shape == 0:
            tokens.append(("text", "As shown in "))
            tokens.append(("fig", self.pick(self.figures)))
            tokens.append(("text", ", "))
            self.element(tokens)
            tokens.append(("text", " includes "))
            self.element(tokens, "a")
            tokens.append(("text", " and "))
            self.element(tokens, "a")
            tokens.append(("text", " coupled to "))
            self.element(tokens)
            tokens.append(("text", "."))
        elif shape == 1:
            tokens.append(("text", "The "))
            tokens.append(("text", self.pick(NOUNS) + " may be formed of "))
            tokens.append(("text", self.materials() + "."))
        elif shape == 2:
            tokens.append(("text", self.pick(OPENERS) + " "))
            self.element(tokens)
            dimension, unit = self.pick(DIMENSIONS)
            tokens.append(("text", " may have a %s " % dimension))
            self.quantity(tokens, unit)
            tokens.append(("text", ", such as about %d %s." % (rng.randint(2, 500), unit)))
        elif shape == 3:
            tokens.append(("text", "The operating temperature is maintained between %d" % rng.randint(-40, 20)))
            tokens.append(("ent", "deg"))
            tokens.append(("text", " C. and %d" % rng.randint(40, 180)))
            tokens.append(("ent", "deg"))
            tokens.append(("text", " C., and the sampling rate is at least 10"))
            tokens.append(("sup", str(rng.randint(2, 9))))
            tokens.append(("text", " samples per second."))
        elif shape == 4:
            formula = self.pick(CHEMICALS)
            tokens.append(("text", "A layer of " + formula[0]))
            tokens.append(("sub", formula[1]))
            if formula[2]:
                tokens.append(("text", formula[2]))
            tokens.append(("text", " may be deposited "))
            tokens.append(("ital", "in situ"))
            tokens.append(("text", " on "))
            self.element(tokens)
            tokens.append(("text", " by %s." % self.pick(("chemical vapor deposition", "sputtering", "atomic layer deposition"))))
        elif shape == 5:
            tokens.append(("text", "The controller"))
            tokens.append(("ent", "rsquo"))
            tokens.append(("text", "s %s is compared with the %s, and the %s is updated when the difference exceeds %d percent." %
                           (self.pick(SIGNALS), self.pick(SIGNALS), self.pick(SIGNALS), rng.randint(2, 40))))
        elif shape == 6:
            tokens.append(("text", self.pick(BOILERPLATE)))
        elif shape == 7:
            tokens.append(("text", "Suitable materials for "))
            self.element(tokens)
            tokens.append(("text", " include, "))
            tokens.append(("ital", self.pick(("e.g.", "i.e."))))
            tokens.append(("text", ", " + self.materials() + "."))
        else:
            tokens.append(("text", self.pick(OPENERS) + " "))
            self.element(tokens)
            tokens.append(("text", " is configured to %s the %s " % (self.pick(VERBS), self.pick(SIGNALS))))
            tokens.append(("text", self.pick(("based at least in part on", "in response to", "using", "according to")) + " "))
            self.element(tokens)
            if rng.random() < 0.4:
                tokens.append(("text", " (see "))
                tokens.append(("fig", self.pick(self.figures)))
                tokens.append(("text", ")"))
            tokens.append(("text", "."))
        return tokens

    def paragraph(self, low=3, high=8):
        tokens = []
        for index in range(self.rng.randint(low, high)):
            if index:
                tokens.append(("text", " "))
            tokens.extend(self.sentence())
        return tokens

    def heading(self):
        return self.pick((
            "Overview", "System Architecture", "Control Circuitry", "Mechanical Assembly", "Signal Processing",
            "Method of Operation", "Fabrication Process", "Calibration", "Alternative Embodiments",
            "Thermal Management", "Power Supply", "Sensor Arrangement", "Example %d" % self.rng.randint(1, 40),
        ))

    def title(self):
        subject = self.pick(("System and method", "Apparatus", "Device", "Method and apparatus", "Assembly"))
        if self.rng.random() < 0.5:
            return "%s for %s %s" % (subject, gerund(self.pick(VERBS)), a(join(self.pick(ADJECTIVES), self.pick(NOUNS))))
        return "%s having %s and %s" % (subject, a(join(self.pick(ADJECTIVES), self.pick(NOUNS))), a(self.pick(NOUNS)))

    def person(self):
        city, state, country = self.pick(PLACES)
        return {"given": self.pick(GIVEN_NAMES), "middle": self.pick(("A.", "J.", None, None, None)),
                "family": self.pick(FAMILY_NAMES), "city": city, "state": state, "country": country}

    def organisation(self):
        city, state, country = self.pick(PLACES)
        return {"name": "%s %s" % (self.pick(ORG_STEMS), self.pick(ORG_KINDS)),
                "city": city, "state": state, "country": country}

    def law_firm(self):
        return self.pick(LAW_FIRMS)

    def claim_limitation(self):
        tokens = []
        tokens.append(("text", gerund(self.pick(VERBS)) + ", by "))
        self.element(tokens)
        tokens.append(("text", ", the %s " % self.pick(SIGNALS)))
        tokens.append(("text", self.pick(("based on", "in response to", "using")) + " "))
        self.element(tokens)
        return tokens

    def claim_wherein(self):
        tokens = [("text", self.pick(("wherein", "further comprising", "wherein at least one of")) + " ")]
        self.element(tokens)
        tokens.append(("text", " %s %s" % (self.pick(("is", "comprises", "is formed of")), self.pick(MATERIALS))))
        return tokens
