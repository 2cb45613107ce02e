// The dashboard page. Everything from the watcher is text from the air or from operators:
// it goes into the page through textContent only, never as markup.
'use strict';

const MAX_NOTES_SHOWN = 20;
const MAX_LABELLED_STATIONS = 150;  // beyond this only stations in emergency carry a label
const $ = (id) => document.getElementById(id);

// --- Words, in the watcher's language (the add-on's setting) -------------------------------
const WORDS = {
  en: {
    alarmOn: 'ALARM', alarmOff: 'alarm off', feed: 'feed: ', down: ' DOWN: ', silent: ' SILENT', heard: ', heard ',
    connecting: 'page: connecting', live: 'page: live', reconnecting: 'page: reconnecting',
    tokenMissing: 'page: the access token is missing: type it above',
    tokenWrong: 'page: the access token is wrong: type it again above',
    operator: 'Operator', token: 'Access token', incidents: 'Incidents',
    actionsOff: "Actions are off: the watcher has no access token set (DashboardToken in the host's settings).",
    alerts: 'Sound and notifications', alertsOn: 'sound and notifications on',
    note: 'note', acknowledge: 'Acknowledge', take: 'Take', takeOver: 'Take over',
    release: 'Release', addNote: 'Add note', close: 'Close', by: ' by ',
    firstHeard: 'first heard ', lastHeard: 'last heard ', heldBack: 'held back: ',
    position: 'position ', fromHome: ' from home, bearing ', noPosition: 'no position heard',
    unreachable: 'the watcher cannot be reached', refused: 'refused: ', home: 'Home ',
    s: ' s ago', min: ' min ', h: ' h ', minAgo: ' min ago', newIncident: 'Sirenwatch: emergency',
    watchDown: 'The watch was down from ', to: ' to ', stoppedCleanly: ' (stopped cleanly).',
    notCleanly: ': it did not stop cleanly, ', lastKnown: ' is when it was last known to run.',
    logNotWritten: 'incident log NOT WRITTEN: ', waiting: ' waiting', lost: ' lost',
    net: 'net: ', netDown: ' DOWN since ', dropped: ' dropped',
  },
  it: {
    alarmOn: 'ALLARME', alarmOff: 'allarme spento', feed: 'ricezione: ', down: ' INTERROTTA: ', silent: ' MUTA',
    heard: ', sentita ', connecting: 'pagina: collegamento', live: 'pagina: in diretta',
    reconnecting: 'pagina: ricollegamento',
    tokenMissing: "pagina: manca il codice d'accesso: scrivilo qui sopra",
    tokenWrong: "pagina: il codice d'accesso è errato: scrivilo di nuovo qui sopra",
    operator: 'Operatore', token: "Codice d'accesso", incidents: 'Interventi',
    actionsOff: "Azioni disattivate: il programma non ha un codice d'accesso (DashboardToken nelle impostazioni dell'host).",
    alerts: 'Suono e notifiche', alertsOn: 'suono e notifiche attivi',
    note: 'nota', acknowledge: 'Tacita', take: 'Prendi in carico', takeOver: 'Subentra',
    release: 'Rilascia', addNote: 'Aggiungi nota', close: 'Chiudi', by: ' da ',
    firstHeard: 'prima ricezione ', lastHeard: 'ultima ricezione ', heldBack: 'trattenuto: ',
    position: 'posizione ', fromHome: ' dalla stazione, azimut ', noPosition: 'nessuna posizione ricevuta',
    unreachable: 'il programma non risponde', refused: 'rifiutato: ', home: 'Stazione ',
    s: ' s fa', min: ' min ', h: ' h ', minAgo: ' min fa', newIncident: 'Sirenwatch: emergenza',
    watchDown: 'La sorveglianza è rimasta ferma dalle ', to: ' alle ', stoppedCleanly: ' (chiusa regolarmente).',
    notCleanly: ': non è stata chiusa regolarmente, ', lastKnown: " è l'ultima ora in cui risultava attiva.",
    logNotWritten: 'registro interventi NON SCRITTO: ', waiting: ' in attesa', lost: ' persi',
    net: 'rete: ', netDown: ' INTERROTTA dalle ', dropped: ' scartati',
  },
};
let words = WORDS.en;

function applyLanguage(language) {
  const next = WORDS[language] || WORDS.en;
  if (next === words && document.documentElement.lang === language) return;
  words = next;
  document.documentElement.lang = language;
  $('operator-caption').textContent = words.operator;
  $('token-caption').textContent = words.token;
  $('incidents-caption').textContent = words.incidents;
  $('actions-off').textContent = words.actionsOff;
  $('alerts').textContent = alertsAllowed() ? words.alertsOn : words.alerts;
  for (const card of cards.values()) card.remove();
  cards.clear();  // made again with the new words
}

// The access token: from the address's fragment (#token=..., never sent to the server by the
// browser) or typed in; kept for this tab only.
(function takeToken() {
  const match = /(?:^#|&)token=([^&]*)/.exec(location.hash);
  if (match) {
    sessionStorage.setItem('token', decodeURIComponent(match[1]));
    history.replaceState(null, '', location.pathname);
  }
  $('token').value = sessionStorage.getItem('token') || '';
  $('operator').value = localStorage.getItem('operator') || '';
})();
$('token').addEventListener('change', () => {
  sessionStorage.setItem('token', $('token').value);
  connect();
});
$('operator').addEventListener('change', () => localStorage.setItem('operator', $('operator').value));
$('operator').addEventListener('input', () => { if (lastState) drawIncidents(lastState); });
const token = () => $('token').value;

function el(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

function clock(seconds) {
  return seconds ? new Date(seconds * 1000).toLocaleString() : '-';
}

function ago(seconds) {
  if (seconds < 0) seconds = 0;
  if (seconds < 60) return seconds + words.s;
  if (seconds < 3600) return Math.floor(seconds / 60) + words.min + (seconds % 60) + words.s;
  return Math.floor(seconds / 3600) + words.h + Math.floor((seconds % 3600) / 60) + words.minAgo;
}

// --- The map ------------------------------------------------------------------------------
const map = L.map('map', { attributionControl: false, preferCanvas: false }).setView([45.5, 9.2], 9);
const baseLayer = L.geoJSON(null, {
  style: (f) => f.properties.kind === 'land'
    ? { color: '#8a8f80', weight: 1, fillColor: '#f2efe6', fillOpacity: 1 }
    : { color: '#9c7ca8', weight: 1, dashArray: '4 3', fill: false },
}).addTo(map);
const liveLayer = L.layerGroup().addTo(map);
let tilesOn = false;
let centred = false;
let scaleBar = null;
let scaleUnit = '';

// The token goes in a header, never in an address: addresses end up in logs and histories.
function authorised() {
  return token() ? { 'X-Sirenwatch-Token': token() } : {};
}

// Asked for at each connection until it came: a token typed in the page opens it too.
let baseLoaded = false;
function loadBaseMap() {
  if (baseLoaded) return;
  fetch('api/basemap', { headers: authorised() }).then((r) => r.ok ? r.json() : null).then((g) => {
    if (g && !baseLoaded) {
      baseLoaded = true;
      baseLayer.addData(g);
    }
  }).catch(() => {});
}

function drawScale(unit) {
  if (unit === scaleUnit) return;
  scaleUnit = unit;
  if (scaleBar) scaleBar.remove();
  scaleBar = L.control.scale({ metric: unit !== 'mi', imperial: unit === 'mi', position: 'bottomleft' })
    .addTo(map);
}

// A callsign beside its marker, always shown.
function label() {
  return { permanent: true, direction: 'right', offset: [6, 0], className: 'map-label' };
}

function drawMap(state) {
  if (state.tileUrl && !tilesOn) {
    tilesOn = true;
    L.tileLayer(state.tileUrl, { maxZoom: 18 }).addTo(map);
    $('tile-credit').textContent = state.tileAttribution || '';
  }
  drawScale(state.unit);
  // The view first, at once and in the map's real size: layers drawn for a view that is still
  // moving, or for a size the map had before the page was laid out, stay empty until the next
  // state, which on a quiet feed may be long in coming.
  map.invalidateSize({ pan: false });
  if (state.home && !centred) {
    map.setView(state.home, 10, { animate: false });
    centred = true;
  }
  liveLayer.clearLayers();  // redrawn whole: nothing piles up however long the page stays open
  for (const c of state.circles) {
    L.circle([c.lat, c.lon], { radius: c.radiusKm * 1000, color: c.color, weight: 2, fill: false })
      .addTo(liveLayer);
  }
  const labelAll = state.stations.length <= MAX_LABELLED_STATIONS;
  for (const s of state.stations) {
    const marker = L.circleMarker([s.lat, s.lon], {
      radius: s.emergency ? 8 : 5, color: s.emergency ? '#b71c1c' : '#1d3557',
      fillColor: s.emergency ? '#e53935' : '#457b9d', fillOpacity: .9, weight: 1,
    });
    if (s.emergency || labelAll) {
      marker.bindTooltip(el('span', s.emergency ? 'emergency' : '', s.callsign), label()).addTo(liveLayer);
    } else {
      marker.bindTooltip(el('span', '', s.callsign + (s.comment ? ' - ' + s.comment : ''))).addTo(liveLayer);
    }
  }
  if (state.home) {
    L.circleMarker(state.home, { radius: 6, color: '#000', fillColor: '#ffd60a', fillOpacity: 1, weight: 2 })
      .bindTooltip(el('span', '', words.home + state.homeCallsign), label()).addTo(liveLayer);
  }
}

// --- Telling the operator: a sound in the page and a browser notification ---------------------
// Browsers allow both only after the operator asked for them, with a click.
let audio = null;
const alertsAllowed = () => audio !== null;
$('alerts').addEventListener('click', async () => {
  audio = audio || new AudioContext();
  await audio.resume().catch(() => {});
  if (window.Notification && Notification.permission === 'default') {
    await Notification.requestPermission().catch(() => {});
  }
  $('alerts').textContent = words.alertsOn;
  $('alerts').classList.add('on');
});

function siren() {
  window.sirens = (window.sirens || 0) + 1;
  if (!audio) return;
  const tone = audio.createOscillator();
  const gain = audio.createGain();
  tone.type = 'square';
  gain.gain.value = 0.15;
  const t = audio.currentTime;
  for (let i = 0; i < 4; ++i) tone.frequency.setValueAtTime(i % 2 ? 660 : 880, t + i * 0.35);
  tone.connect(gain).connect(audio.destination);
  tone.start(t);
  tone.stop(t + 1.4);
}

function tellNew(incident) {
  siren();
  if (window.Notification && Notification.permission === 'granted') {
    new Notification(words.newIncident, { body: incident.callsign + ' ' + distanceText(incident), tag: incident.id });
  }
}

// --- The incidents ------------------------------------------------------------------------
const cards = new Map();  // incident id -> its card, reused so typing is not interrupted
const known = new Set();  // incidents seen, so a new one is told once
let firstState = true;
let lastState = null;

async function act(incident, action, extra) {
  const body = Object.assign({ action, incident: incident.id }, extra);
  try {
    const r = await fetch('api/action', {
      method: 'POST',
      headers: Object.assign({ 'Content-Type': 'application/json' }, authorised()),
      body: JSON.stringify(body),
    });
    const reply = await r.json().catch(() => ({}));
    $('message').textContent = r.ok ? '' : (reply.error || (words.refused + r.status));
    return r.ok;
  } catch (e) {
    $('message').textContent = words.unreachable;
    return false;
  }
}

// The incident book says what each incident allows, by action keys; the buttons' class names.
const BUTTONS = { acknowledge: 'acknowledge', take: 'take', take_over: 'take-over', release: 'release',
  note: 'add-note', close: 'close' };

function makeCard(id) {
  const card = el('article', 'incident');
  card.dataset.id = id;
  const title = el('div', 'title');
  card.parts = {
    callsign: title.appendChild(el('span', 'callsign')),
    state: title.appendChild(el('span', 'state')),
    grade: title.appendChild(el('span', 'grade')),
  };
  card.appendChild(title);
  card.parts.comment = card.appendChild(el('div', 'comment'));
  card.parts.where = card.appendChild(el('div', 'where'));
  card.parts.facts = card.appendChild(el('div', 'facts'));
  card.parts.ago = card.appendChild(el('div', 'facts ago'));
  card.parts.held = card.appendChild(el('div', 'held'));
  card.parts.evidence = card.appendChild(el('div', 'evidence'));
  card.parts.notes = card.appendChild(el('ul', 'notes'));
  const controls = card.appendChild(el('div', 'controls'));
  card.parts.controls = controls;
  const note = controls.appendChild(el('input', 'note'));
  note.placeholder = words.note;
  note.maxLength = 2000;
  card.parts.buttons = {};
  const button = (label, name, run) => {
    const b = controls.appendChild(el('button', name, label));
    b.addEventListener('click', run);
    card.parts.buttons[name] = b;
  };
  const incident = () => ({ id: card.dataset.id });
  const withNote = (action) => async () => {
    if (await act(incident(), action, { operator: $('operator').value, note: note.value })) note.value = '';
  };
  button(words.acknowledge, 'acknowledge', () => act(incident(), 'acknowledge', { operator: $('operator').value }));
  button(words.take, 'take', () => act(incident(), 'take', { operator: $('operator').value }));
  button(words.takeOver, 'take-over', withNote('take_over'));
  button(words.release, 'release', withNote('release'));
  button(words.addNote, 'add-note', withNote('note'));
  button(words.close, 'close', withNote('close'));
  // A click on the card (not on its controls) brings its station to the middle of the map.
  card.addEventListener('click', (e) => {
    if (controls.contains(e.target) || card.dataset.lat === undefined) return;
    map.setView([+card.dataset.lat, +card.dataset.lon], Math.max(map.getZoom(), 11), { animate: false });
  });
  return card;
}

function distanceText(i) {
  if (i.distance === undefined) return '';
  return i.distance.toFixed(1) + ' ' + (lastState ? lastState.unit : 'km') + words.fromHome +
    Math.round(i.bearing) % 360 + '°';
}

function whereText(i) {
  if (i.lat === undefined) return words.noPosition;
  const text = words.position + i.lat.toFixed(4) + ', ' + i.lon.toFixed(4);
  return i.distance === undefined ? text : text + ', ' + distanceText(i);
}

function fillCard(card, i, now) {
  card.dataset.state = i.stateKey;
  card.dataset.callsign = i.callsign;
  if (i.lat !== undefined) {
    card.dataset.lat = i.lat;
    card.dataset.lon = i.lon;
  }
  card.parts.callsign.textContent = i.callsign;
  card.parts.state.textContent = i.state + (i.operator ? words.by + i.operator : '');
  card.parts.grade.textContent = i.grade;
  card.parts.comment.textContent = i.comment;
  card.parts.where.textContent = whereText(i);
  card.parts.facts.textContent = words.firstHeard + clock(i.firstHeard) + ', ' + words.lastHeard + clock(i.lastHeard);
  card.parts.ago.textContent = words.lastHeard + ago(now - i.lastHeard);
  card.parts.held.textContent = i.heldBack ? words.heldBack + i.heldBack : '';
  card.parts.evidence.textContent = i.evidence;
  card.parts.notes.replaceChildren(...i.notes.slice(-MAX_NOTES_SHOWN).map((n) =>
    el('li', '', clock(n.time) + ' ' + n.operator + ': ' + n.text)));
  // A closed incident has nothing left to do: its controls go.
  const allowed = (i.actions || []).map((key) => BUTTONS[key]).filter(Boolean);
  card.parts.controls.hidden = allowed.length === 0;
  if (allowed.length === 0) card.parts.controls.replaceChildren();
  for (const [name, b] of Object.entries(card.parts.buttons)) b.hidden = !allowed.includes(name);
}

function drawIncidents(state) {
  const list = $('incidents');
  const seen = new Set();
  state.incidents.forEach((i, index) => {
    seen.add(i.id);
    if (!known.has(i.id)) {
      known.add(i.id);
      if (!firstState && i.stateKey === 'new' && !i.heldBack) tellNew(i);
    }
    let card = cards.get(i.id);
    if (!card) cards.set(i.id, card = makeCard(i.id));
    fillCard(card, i, state.now);
    if (list.children[index] !== card) list.insertBefore(card, list.children[index] || null);
  });
  for (const [id, card] of cards) {
    if (!seen.has(id)) {
      card.remove();
      cards.delete(id);
    }
  }
  firstState = false;
  $('count').textContent = '(' + state.incidents.length + ')';
}

function drawHealth(state) {
  const alarm = $('alarm');
  alarm.textContent = state.alarm ? words.alarmOn : words.alarmOff;
  alarm.className = 'badge ' + (state.alarm ? 'bad' : 'good');
  const feed = $('feed');
  const heard = state.feed.lastHeard ? words.heard + ago(state.now - state.feed.lastHeard) : '';
  const down = state.feed.down ? words.down + state.feed.problem : '';
  feed.textContent = words.feed + state.feed.name + down + (state.feed.silent ? words.silent : '') + heard;
  feed.className = 'badge ' + (state.feed.silent || state.feed.down ? 'bad' : 'good');
  $('actions-off').hidden = state.actions;
  drawWatchGap(state.watchGap);
}

// When nobody watched before this watch started: an emergency sent then was not heard here.
function drawWatchGap(gap) {
  const line = $('watch-gap');
  line.hidden = !gap;
  if (!gap) return;
  line.textContent = words.watchDown + clock(gap.lastAlive) + words.to + clock(gap.started) +
    (gap.stoppedCleanly ? words.stoppedCleanly
                        : words.notCleanly + clock(gap.lastAlive) + words.lastKnown);
}

// Shown only while the incident log cannot be written: what is on screen is not all logged.
function drawLogHealth(state) {
  const log = $('incident-log');
  const health = state.log || { writing: true };
  log.hidden = health.writing;
  if (health.writing) return;
  log.textContent = words.logNotWritten + health.problem + ' (' + health.waiting + words.waiting +
    (health.lost ? ', ' + health.lost + words.lost : '') + ')';
}

// Only with a broker: the MQTT net's link, and since when it is down.
function drawNetHealth(state) {
  const badge = $('net');
  badge.hidden = !state.net;
  if (!state.net) return;
  const net = state.net;
  badge.textContent = words.net + net.broker + (net.down
    ? words.netDown + clock(net.downSince) + (net.problem ? ': ' + net.problem : '') +
      ' (' + net.waiting + words.waiting + (net.dropped ? ', ' + net.dropped + words.dropped : '') + ')'
    : '');
  badge.className = 'badge ' + (net.down ? 'bad' : 'good');
}

function show(state) {
  state.receivedAt = Date.now();
  window.updates = (window.updates || 0) + 1;
  applyLanguage(state.language);
  lastState = state;
  drawHealth(state);
  drawLogHealth(state);
  drawNetHealth(state);
  drawIncidents(state);
  drawMap(state);
}

// "how long ago" moves on between updates.
setInterval(() => {
  if (!lastState) return;
  const now = lastState.now + Math.floor((Date.now() - lastState.receivedAt) / 1000);
  for (const i of lastState.incidents) {
    const card = cards.get(i.id);
    if (card) card.parts.ago.textContent = words.lastHeard + ago(now - i.lastHeard);
  }
}, 1000);

// --- The live stream ----------------------------------------------------------------------
let source = null;

function showLink(text, good) {
  $('link').textContent = text;
  $('link').className = 'badge ' + (good ? 'good' : 'bad');
}

// A stream that fails says nothing of why: the state, asked once, tells a refused token
// from a watcher that is away. A refused token is not tried again until another is typed;
// otherwise the page connects again in a while, with a new ticket.
let retry = null;
async function explainFailure() {
  if (source) source.close();
  try {
    const r = await fetch('api/state', { headers: authorised() });
    if (r.status === 401 || r.status === 403 || r.status === 429) {
      showLink(r.status === 401 ? words.tokenMissing : words.tokenWrong, false);
      $('token').focus();
      return;
    }
  } catch (e) {
    // away: tried again below
  }
  showLink(words.reconnecting, false);
  clearTimeout(retry);
  retry = setTimeout(connect, 3000);
}

// The event stream is opened by address alone, so it takes a ticket for one use, asked for
// with the token, never the token itself.
async function streamAddress() {
  if (!token()) return 'api/events';
  const r = await fetch('api/ticket', { method: 'POST', headers: authorised() });
  if (!r.ok) return null;
  return 'api/events?ticket=' + encodeURIComponent((await r.json()).ticket);
}

async function connect() {
  clearTimeout(retry);
  if (source) source.close();
  source = null;
  loadBaseMap();
  let address = null;
  try {
    address = await streamAddress();
  } catch (e) {
    // away
  }
  if (!address) return explainFailure();
  if (source) source.close();
  source = new EventSource(address);
  source.addEventListener('state', (e) => {
    show(JSON.parse(e.data));
    showLink(words.live, true);
    loadBaseMap();
  });
  source.onerror = explainFailure;
}
connect();
