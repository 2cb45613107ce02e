// The dashboard page. Everything from the watcher is text from the air or from operators:
// it goes into the page through textContent only, never as markup.
'use strict';

const MAX_NOTES_SHOWN = 20;
const $ = (id) => document.getElementById(id);

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
  if (seconds < 60) return seconds + ' s ago';
  if (seconds < 3600) return Math.floor(seconds / 60) + ' min ' + (seconds % 60) + ' s ago';
  return Math.floor(seconds / 3600) + ' h ' + Math.floor((seconds % 3600) / 60) + ' min ago';
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

function authorised(url) {
  return token() ? url + (url.includes('?') ? '&' : '?') + 'token=' + encodeURIComponent(token()) : url;
}

fetch(authorised('api/basemap')).then((r) => r.ok ? r.json() : null).then((g) => {
  if (g) baseLayer.addData(g);
}).catch(() => {});

function drawMap(state) {
  if (state.tileUrl && !tilesOn) {
    tilesOn = true;
    L.tileLayer(state.tileUrl, { maxZoom: 18 }).addTo(map);
    $('tile-credit').textContent = state.tileAttribution || '';
  }
  liveLayer.clearLayers();  // redrawn whole: nothing piles up however long the page stays open
  for (const c of state.circles) {
    L.circle([c.lat, c.lon], { radius: c.radiusKm * 1000, color: c.color, weight: 2, fill: false })
      .addTo(liveLayer);
  }
  for (const s of state.stations) {
    const marker = L.circleMarker([s.lat, s.lon], {
      radius: s.emergency ? 8 : 5, color: s.emergency ? '#b71c1c' : '#1d3557',
      fillColor: s.emergency ? '#e53935' : '#457b9d', fillOpacity: .9, weight: 1,
    });
    const tip = el('span', '', s.callsign + (s.comment ? ' - ' + s.comment : ''));
    marker.bindTooltip(tip).addTo(liveLayer);
  }
  if (state.home) {
    L.circleMarker(state.home, { radius: 6, color: '#000', fillColor: '#ffd60a', fillOpacity: 1, weight: 2 })
      .bindTooltip(el('span', '', 'Home ' + state.homeCallsign)).addTo(liveLayer);
    if (!centred) {
      map.setView(state.home, 10);
      centred = true;
    }
  }
}

// --- The incidents ------------------------------------------------------------------------
const cards = new Map();  // incident id -> its card, reused so typing is not interrupted
let lastState = null;

async function act(incident, action, extra) {
  const body = Object.assign({ action, incident: incident.id }, extra);
  try {
    const r = await fetch('api/action', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json', 'X-Sirenwatch-Token': token() },
      body: JSON.stringify(body),
    });
    const reply = await r.json().catch(() => ({}));
    $('message').textContent = r.ok ? '' : (reply.error || ('refused: ' + r.status));
    return r.ok;
  } catch (e) {
    $('message').textContent = 'the watcher cannot be reached';
    return false;
  }
}

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
  card.parts.facts = card.appendChild(el('div', 'facts'));
  card.parts.ago = card.appendChild(el('div', 'facts ago'));
  card.parts.held = card.appendChild(el('div', 'held'));
  card.parts.evidence = card.appendChild(el('div', 'evidence'));
  card.parts.notes = card.appendChild(el('ul', 'notes'));
  const controls = card.appendChild(el('div', 'controls'));
  const note = controls.appendChild(el('input', 'note'));
  note.placeholder = 'note';
  note.maxLength = 2000;
  const button = (label, name, run) => {
    const b = controls.appendChild(el('button', name, label));
    b.addEventListener('click', run);
    return b;
  };
  const incident = () => ({ id: card.dataset.id });
  button('Acknowledge', 'acknowledge', () => act(incident(), 'acknowledge', {}));
  button('Take', 'take', () => act(incident(), 'take', { operator: $('operator').value }));
  button('Add note', 'add-note', async () => {
    if (await act(incident(), 'note', { operator: $('operator').value, note: note.value })) note.value = '';
  });
  button('Close', 'close', async () => {
    if (await act(incident(), 'close', { operator: $('operator').value, note: note.value })) note.value = '';
  });
  return card;
}

function fillCard(card, i, now) {
  card.dataset.state = i.state;
  card.dataset.callsign = i.callsign;
  card.parts.callsign.textContent = i.callsign;
  card.parts.state.textContent = i.state + (i.operator ? ' by ' + i.operator : '');
  card.parts.grade.textContent = i.grade;
  card.parts.facts.textContent = 'first heard ' + clock(i.firstHeard) + ', last heard ' + clock(i.lastHeard);
  card.parts.ago.textContent = 'last heard ' + ago(now - i.lastHeard);
  card.parts.held.textContent = i.heldBack ? 'held back: ' + i.heldBack : '';
  card.parts.evidence.textContent = i.evidence;
  card.parts.notes.replaceChildren(...i.notes.slice(-MAX_NOTES_SHOWN).map((n) =>
    el('li', '', clock(n.time) + ' ' + n.operator + ': ' + n.text)));
}

function drawIncidents(state) {
  const list = $('incidents');
  const seen = new Set();
  state.incidents.forEach((i, index) => {
    seen.add(i.id);
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
  $('count').textContent = '(' + state.incidents.length + ')';
}

function drawHealth(state) {
  const alarm = $('alarm');
  alarm.textContent = state.alarm ? 'ALARM' : 'alarm off';
  alarm.className = 'badge ' + (state.alarm ? 'bad' : 'good');
  const feed = $('feed');
  const heard = state.feed.lastHeard ? ', heard ' + ago(state.now - state.feed.lastHeard) : '';
  feed.textContent = 'feed: ' + state.feed.name + (state.feed.silent ? ' SILENT' : '') + heard;
  feed.className = 'badge ' + (state.feed.silent ? 'bad' : 'good');
  $('actions-off').hidden = state.actions;
  drawWatchGap(state.watchGap);
}

// When nobody watched before this watch started: an emergency sent then was not heard here.
function drawWatchGap(gap) {
  const line = $('watch-gap');
  line.hidden = !gap;
  if (!gap) return;
  line.textContent = 'The watch was down from ' + clock(gap.lastAlive) + ' to ' +
    clock(gap.started) + (gap.stoppedCleanly
      ? ' (stopped cleanly).'
      : ': it did not stop cleanly, ' + clock(gap.lastAlive) + ' is when it was last known to run.');
}

function show(state) {
  state.receivedAt = Date.now();
  window.updates = (window.updates || 0) + 1;
  lastState = state;
  drawHealth(state);
  drawIncidents(state);
  drawMap(state);
}

// "how long ago" moves on between updates.
setInterval(() => {
  if (!lastState) return;
  const now = lastState.now + Math.floor((Date.now() - lastState.receivedAt) / 1000);
  for (const i of lastState.incidents) {
    const card = cards.get(i.id);
    if (card) card.parts.ago.textContent = 'last heard ' + ago(now - i.lastHeard);
  }
}, 1000);

// --- The live stream ----------------------------------------------------------------------
let source = null;
function connect() {
  if (source) source.close();
  source = new EventSource(authorised('api/events'));
  source.addEventListener('state', (e) => {
    $('link').textContent = 'page: live';
    $('link').className = 'badge good';
    show(JSON.parse(e.data));
  });
  source.onerror = () => {
    $('link').textContent = 'page: reconnecting';
    $('link').className = 'badge bad';
  };
}
connect();
