"""What the simulated device says: a GPS receiver on a moving track, a measuring instrument and
numbered lines for benchmarks. Each generator's record() gives the lines of one record and, for a
GPS fix, the true values it was made from."""

import datetime
import math

EARTH_RADIUS = 6371000.0


def sentence(body):
    checksum = 0
    for byte in body.encode("ascii"):
        checksum ^= byte
    return f"${body}*{checksum:02X}"


def degrees_minutes(value, degree_digits, hemispheres):
    """An angle as NMEA writes it, "ddmm.mmmm" or "dddmm.mmmm", and its hemisphere letter."""
    total = round(abs(value) * 600000)  # ten-thousandths of a minute, so 59.99996' carries over
    degrees, rest = divmod(total, 600000)
    text = f"{degrees:0{degree_digits}d}{rest // 10000:02d}.{rest % 10000:04d}"
    return text, hemispheres[0] if value >= 0 or total == 0 else hemispheres[1]


class Track:
    """A vehicle on a drive: speed and heading change smoothly, one step a second."""

    def __init__(self, rng, latitude, longitude):
        self.rng = rng
        self.latitude, self.longitude = latitude, longitude
        self.altitude = rng.uniform(200, 400)
        self.kmh = rng.uniform(20, 60)
        self.course = rng.uniform(0, 360)
        self.turn = 0.0
        self.satellites = rng.randint(7, 11)

    def step(self):
        rng = self.rng
        self.turn = max(-8.0, min(8.0, 0.8 * self.turn + rng.gauss(0, 2)))
        self.course = (self.course + self.turn) % 360
        self.kmh = max(0.0, min(90.0, self.kmh + rng.gauss(0, 1.5)))
        metres, heading = self.kmh / 3.6, math.radians(self.course)
        self.latitude += math.degrees(metres * math.cos(heading) / EARTH_RADIUS)
        self.latitude = max(-89.9, min(89.9, self.latitude))
        across = EARTH_RADIUS * math.cos(math.radians(self.latitude))
        self.longitude += math.degrees(metres * math.sin(heading) / across)
        self.longitude = (self.longitude + 180) % 360 - 180
        self.altitude += rng.gauss(0, 0.2)
        if rng.random() < 0.05:
            self.satellites = max(4, min(12, self.satellites + rng.choice((-1, 1))))


class Gps:
    """A receiver reporting a Track: GGA, RMC and VTG per fix, time stamped one second apart."""

    def __init__(self, rng, origin, talker, start):
        self.track = Track(rng, *origin)
        self.talker, self.start, self.fixes = talker, start, 0

    def record(self):
        t = self.track
        t.step()
        moment = self.start + datetime.timedelta(seconds=self.fixes)
        self.fixes += 1
        clock, date = moment.strftime("%H%M%S.00"), moment.strftime("%d%m%y")
        lat, ns = degrees_minutes(t.latitude, 2, "NS")
        lon, ew = degrees_minutes(t.longitude, 3, "EW")
        knots = t.kmh / 1.852
        course = f"{t.course:.2f}".replace("360.00", "0.00")
        talker = self.talker
        lines = [
            f"{talker}GGA,{clock},{lat},{ns},{lon},{ew},1,{t.satellites:02d},0.9,"
            f"{t.altitude:.1f},M,47.0,M,,",
            f"{talker}RMC,{clock},A,{lat},{ns},{lon},{ew},{knots:.3f},{course},{date},,,A",
            f"{talker}VTG,{course},T,,M,{knots:.3f},N,{t.kmh:.3f},K,A",
        ]
        fix = {"event": "fix", "fix": self.fixes, "latitude": t.latitude,
               "longitude": t.longitude, "altitude": t.altitude, "kmh": t.kmh,
               "course": t.course, "quality": 1, "satellites": t.satellites}
        return [sentence(line) for line in lines], fix


class Instrument:
    """Temperature and humidity that wander slowly about their means."""

    def __init__(self, rng):
        self.rng = rng
        self.temp, self.hum = rng.uniform(21, 24), rng.uniform(38, 48)
        self.temp_trend = self.hum_trend = 0.0

    def record(self):
        rng = self.rng
        self.temp_trend = 0.95 * self.temp_trend + rng.gauss(0, 0.005)
        self.temp += self.temp_trend + 0.002 * (22.5 - self.temp)
        self.hum_trend = 0.95 * self.hum_trend + rng.gauss(0, 0.02)
        self.hum = max(0.0, min(100.0, self.hum + self.hum_trend + 0.002 * (43 - self.hum)))
        return [f"TEMP={self.temp:.2f} C", f"HUM={self.hum:.1f} %"], None


class Burst:
    """Numbered lines of one length, as many as the port takes."""

    def __init__(self):
        self.number = 0

    def record(self):
        self.number += 1
        return [f"BURST {self.number:09d} 0123456789abcdefghijklmnopqrstuvwxyz"], None
