// The page of `qentsim serve`. The host thread sends the whole state after every change
// ({"type":"state"}); this page draws it as it stands and sends what the person does as
// requests. It keeps nothing of its own but what is being typed or turned right now.
'use strict';

const KNOBS = [];
for (let i = 1; i <= 12; i++) KNOBS.push('AsgnKnob' + i);
for (let i = 1; i <= 12; i++) KNOBS.push('EQKnob' + i);
const BUTTON_GROUPS = {
  transport: ['Top', 'Rewind', 'FastFwd', 'Stop', 'Play', 'Record'],
  mixer: ['Mute', 'Solo', 'Inc', 'Dec'],
  fkeys: ['F1', 'F2', 'F3', 'F4', 'F5', 'F6'],
  sfkeys: ['SF1', 'SF2', 'SF3', 'SF4', 'SF5', 'SF6'],
  sfbanks: ['SFBank1', 'SFBank2', 'SFBank3', 'SFBank4', 'SFBank5', 'SFBank6'],
};
// Pixels of dragging per tick, and the time turns are gathered into one message: a fast turn
// gives many ticks per message, which the module accelerates, as an encoder's speed does.
const DRAG_PIXELS_PER_TICK = 6;
const TURN_GATHER_MS = 20;

const page = {
  socket: null,
  state: null,
  keyboard: 1,
  nextId: 1,
  pendingTurns: new Map(),  // element -> ticks not yet sent
  turnStarted: null,        // when the first of them was turned
  turnTimer: null,
  windowShape: '',
  // What the latency measurement reads: per turn message, the time from the first tick the
  // person turned to its knob's value text changing on this page's display (ms).
  metrics: { latencies: [], waiting: [] },
};
window.qentPage = page;

function $(id) { return document.getElementById(id); }

function element(tag, attributes, text) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attributes || {})) e.setAttribute(k, v);
  if (text !== undefined) e.textContent = text;
  return e;
}

// ---- the socket ----

function connect() {
  const socket = new WebSocket('ws://' + location.host + '/live');
  page.socket = socket;
  socket.onopen = () => { $('connection').textContent = 'live'; $('connection').className = 'online'; };
  socket.onclose = () => {
    $('connection').textContent = 'disconnected: qentsim serve stopped';
    $('connection').className = 'offline';
  };
  socket.onmessage = (event) => receive(JSON.parse(event.data));
}

function send(request) {
  if (!page.socket || page.socket.readyState !== WebSocket.OPEN) return;
  request.id = page.nextId++;
  page.socket.send(JSON.stringify(request));
}

function receive(message) {
  switch (message.type) {
    case 'state': page.state = message; draw(message); break;
    case 'error': showError(message.message); break;
    case 'prompt': showDialog(message); break;
    case 'dialog-closed': $('dialog').hidden = true; break;
    case 'download': download(message); break;
    default: break;
  }
}

function showError(text) {
  const box = $('error');
  box.textContent = text;
  box.hidden = false;
  clearTimeout(showError.timer);
  showError.timer = setTimeout(() => { box.hidden = true; }, 5000);
}

// ---- the keyboard ----

function buildKeyboard() {
  const names = $('knob-names');
  const knobs = $('knobs');
  KNOBS.forEach((name, i) => {
    const cell = element('div', { class: 'knob-cell', id: 'knob-cell-' + (i + 1) });
    cell.append(element('span', { class: 'knob-name', id: 'knob-name-' + (i + 1) }),
                element('span', { class: 'knob-value', id: 'knob-value-' + (i + 1) }));
    names.append(cell);
    const knob = element('div', { class: 'knob' + (i >= 12 ? ' eq' : ''), id: 'knob-' + name,
                                  'data-element': name, title: name });
    knob.append(element('div', { class: 'pointer' }), element('span', { class: 'label' }, i < 12 ? String(i + 1) : 'EQ' + (i - 11)));
    makeTurnable(knob, name);
    knobs.append(knob);
  });
  for (let i = 0; i < 6; i++)
    $('fkey-labels').append(element('span', { class: 'fkey-label', id: 'fkey-label-' + (i + 1) }));
  for (const [group, buttons] of Object.entries(BUTTON_GROUPS)) {
    for (const name of buttons) {
      const button = element('button', { type: 'button', class: 'key', id: 'key-' + name, 'data-element': name }, name);
      button.addEventListener('click', () => send({ type: 'tap', keyboard: page.keyboard, element: name }));
      $(group).append(button);
    }
  }
  const dial = element('div', { class: 'knob dial', id: 'knob-DataDial', 'data-element': 'DataDial', title: 'DataDial' });
  dial.append(element('div', { class: 'pointer' }), element('span', { class: 'label' }, 'Data'));
  makeTurnable(dial, 'DataDial');
  $('dial-group').append(dial);
  for (const name of ['Jog', 'Lock']) {
    const button = element('button', { type: 'button', class: 'key', id: 'key-' + name, 'data-element': name }, name);
    button.addEventListener('click', () => send({ type: 'tap', keyboard: page.keyboard, element: name }));
    $('dial-group').append(button);
  }
}

function makeTurnable(knob, name) {
  let angle = 0;
  const turnBy = (ticks) => {
    angle += ticks * 12;
    knob.querySelector('.pointer').style.transform = 'rotate(' + angle + 'deg)';
    queueTurn(name, ticks);
  };
  knob.addEventListener('wheel', (event) => {
    event.preventDefault();
    // One notch of a wheel is one tick; a trackpad's small steps add up.
    const step = event.deltaMode === 0 ? event.deltaY / 100 : event.deltaY;
    knob.wheelRest = (knob.wheelRest || 0) - step;
    const ticks = Math.trunc(knob.wheelRest);
    if (ticks !== 0) { knob.wheelRest -= ticks; turnBy(ticks); }
  }, { passive: false });
  knob.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    knob.setPointerCapture(event.pointerId);
    let lastY = event.clientY;
    let rest = 0;
    const move = (e) => {
      rest += lastY - e.clientY;
      lastY = e.clientY;
      const ticks = Math.trunc(rest / DRAG_PIXELS_PER_TICK);
      if (ticks !== 0) { rest -= ticks * DRAG_PIXELS_PER_TICK; turnBy(ticks); }
    };
    const up = () => {
      knob.removeEventListener('pointermove', move);
      knob.removeEventListener('pointerup', up);
      knob.removeEventListener('pointercancel', up);
    };
    knob.addEventListener('pointermove', move);
    knob.addEventListener('pointerup', up);
    knob.addEventListener('pointercancel', up);
  });
}

function queueTurn(name, ticks) {
  if (page.turnStarted === null) page.turnStarted = performance.now();
  page.pendingTurns.set(name, (page.pendingTurns.get(name) || 0) + ticks);
  if (page.turnTimer === null) page.turnTimer = setTimeout(flushTurns, TURN_GATHER_MS);
}

function flushTurns() {
  page.turnTimer = null;
  const started = page.turnStarted;
  page.turnStarted = null;
  for (const [name, ticks] of page.pendingTurns) {
    if (ticks === 0) continue;
    const knob = KNOBS.indexOf(name);
    if (knob >= 0) {
      page.metrics.waiting.push({ knob: knob + 1, before: $('knob-value-' + (knob + 1)).textContent,
                                  sent: started });
    }
    send({ type: 'turn', keyboard: page.keyboard, element: name, ticks: ticks });
  }
  page.pendingTurns.clear();
}

function drawKeyboard(kb) {
  $('target').textContent = kb.target;
  $('memory').textContent = kb.memory;
  $('line').textContent = kb.line;
  $('mode').textContent = kb.mode;
  kb.knobs.forEach((knob, i) => {
    $('knob-name-' + (i + 1)).textContent = knob.name;
    $('knob-value-' + (i + 1)).textContent = knob.value;
  });
  kb.keys.forEach((label, i) => { $('fkey-label-' + (i + 1)).textContent = label; });
  for (const [name, lit] of Object.entries(kb.lamps)) {
    const key = $('key-' + name);
    if (key) key.classList.toggle('lit', lit);
  }
  // Turns whose knob now shows another value have arrived.
  const now = performance.now();
  page.metrics.waiting = page.metrics.waiting.filter((w) => {
    if ($('knob-value-' + w.knob).textContent === w.before) return now - w.sent < 5000;
    page.metrics.latencies.push(now - w.sent);
    return false;
  });
}

function drawKeyboardPicker(count) {
  const picker = $('keyboard-picker');
  picker.hidden = count < 2;
  const buttons = $('keyboard-buttons');
  if (buttons.childElementCount !== count) {
    buttons.textContent = '';
    for (let k = 1; k <= count; k++) {
      const b = element('button', { type: 'button', id: 'keyboard-' + k }, String(k));
      b.addEventListener('click', () => { page.keyboard = k; draw(page.state); });
      buttons.append(b);
    }
  }
  for (const b of buttons.children) b.classList.toggle('chosen', b.id === 'keyboard-' + page.keyboard);
}

// ---- the host ----

function drawHost(host) {
  const tracks = $('tracks');
  tracks.textContent = '';
  for (const t of host.tracks) {
    const item = element('li', { class: 'track ' + t.kind + (t.selected ? ' selected' : ''),
                                 'data-track': t.name, style: 'padding-left:' + (0.5 + t.depth * 1.2) + 'em' });
    item.append(element('span', { class: 'track-name' }, t.name), element('span', { class: 'track-kind' }, t.kind));
    item.addEventListener('click', () => send({ type: 'select-track', track: t.name }));
    tracks.append(item);
  }
  const parameters = $('parameters');
  parameters.textContent = '';
  $('instrument-title').textContent = host.instrument ? 'Instrument: ' + host.instrument.name
                                                      : 'Instrument: none on this track';
  for (const p of (host.instrument ? host.instrument.parameters : [])) {
    const row = element('tr', { 'data-parameter': p.title });
    const bar = element('div', { class: 'bar' });
    bar.append(element('div', { class: 'fill', style: 'width:' + Math.round(p.position * 100) + '%' }));
    const barCell = element('td');
    barCell.append(bar);
    row.append(element('td', { class: 'parameter-title' }, p.title), barCell,
               element('td', { class: 'parameter-text' }, p.text));
    parameters.append(row);
  }
  const t = host.transport;
  $('transport-state').textContent = (t.playing ? '▶ playing' : '■ stopped') +
      (t.recording ? ' ● recording' : '') + '  position ' + t.position.toFixed(2);
  $('transport-state').className = t.playing ? 'playing' : '';
  const log = $('command-log');
  log.textContent = '';
  for (const c of host.log) log.append(element('li', {}, c.category + ' / ' + c.name));
  log.setAttribute('data-count', host.executedCount);
  log.scrollTop = log.scrollHeight;
  const entries = $('devices-entries');
  entries.textContent = '';
  if (host.devicesMenu.length === 0) entries.append(element('li', { class: 'empty' }, '(no entries)'));
  for (const title of host.devicesMenu) {
    const item = element('li', { class: 'entry' }, title);
    item.addEventListener('click', () => {
      entries.hidden = true;
      send({ type: 'menu', menu: 'Devices', title: title });
    });
    entries.append(item);
  }
}

// ---- the module's window ----

function windowShape(win) {
  return JSON.stringify(win.widgets.map((w) => [w.type, w.name, w.kind, w.x, w.y, w.src, w.entries]));
}

function buildWindow(win) {
  const body = $('window-body');
  body.textContent = '';
  body.style.width = win.width + 'px';
  body.style.height = win.height + 'px';
  for (const w of win.widgets) {
    let node;
    if (w.type === 'image') {
      node = element('img', { src: w.src, alt: '', draggable: 'false' });
    } else if (w.type === 'label') {
      node = element('div', { class: 'w-label' }, w.text);
    } else if (w.kind === 'switch') {
      node = element('div', { class: 'w-switch', role: 'button' });
      node.style.backgroundImage = 'url("' + w.src + '")';
      node.addEventListener('click', () => send({ type: 'window-press', control: w.name }));
    } else if (w.kind === 'checkbox') {
      node = element('label', { class: 'w-checkbox' });
      const box = element('input', { type: 'checkbox' });
      box.addEventListener('click', (e) => { e.preventDefault(); send({ type: 'window-press', control: w.name }); });
      node.append(box, document.createTextNode(' ' + w.title));
    } else if (w.kind === 'menu') {
      node = element('select', { class: 'w-menu' });
      for (const entry of w.entries || []) node.append(element('option', { value: entry }, entry));
      node.addEventListener('change', () => send({ type: 'window-choose', control: w.name, entry: node.value }));
    } else if (w.kind === 'edit') {
      node = element('input', { class: 'w-edit', type: 'text', spellcheck: 'false' });
      const leave = () => {
        if (node.value !== node.getAttribute('data-shown'))
          send({ type: 'window-type', control: w.name, text: node.value });
      };
      node.addEventListener('change', leave);
      node.addEventListener('keydown', (e) => { if (e.key === 'Enter') node.blur(); });
    } else {
      node = element('div', { class: 'w-text' });
    }
    node.classList.add('w');
    if (w.name) { node.id = 'w-' + w.name; node.setAttribute('data-control', w.name); }
    node.style.left = w.x + 'px';
    node.style.top = w.y + 'px';
    if (w.width) node.style.width = w.width + 'px';
    if (w.height) node.style.height = w.height + 'px';
    body.append(node);
  }
}

function drawWindow(win) {
  const area = $('window-area');
  if (!win) { area.hidden = true; page.windowShape = ''; return; }
  area.hidden = false;
  $('window-title-text').textContent = win.title;
  const shape = windowShape(win);
  if (shape !== page.windowShape) { buildWindow(win); page.windowShape = shape; }
  for (const w of win.widgets) {
    if (w.type !== 'control') continue;
    const node = $('w-' + w.name);
    if (!node) continue;
    node.classList.toggle('disabled', !!w.disabled);
    node.setAttribute('data-shown', w.shown === undefined ? '' : w.shown);
    if (w.kind === 'switch') {
      node.style.backgroundPosition = '0 ' + (w.value > 0 ? -w.height : 0) + 'px';
      node.classList.toggle('on', w.value > 0);
    } else if (w.kind === 'checkbox') {
      node.querySelector('input').checked = w.value > 0;
    } else if (w.kind === 'menu') {
      node.value = w.shown;
      node.disabled = !!w.disabled;
    } else if (w.kind === 'edit') {
      if (document.activeElement !== node) node.value = w.shown;
      node.disabled = !!w.disabled;
    } else {
      node.textContent = w.shown === undefined ? '' : w.shown;
    }
  }
}

// ---- the host's dialogs ----

function showDialog(prompt) {
  $('dialog').hidden = false;
  const buttons = $('dialog-buttons');
  buttons.textContent = '';
  const file = $('dialog-file');
  if (prompt.dialog === 'alert') {
    file.hidden = true;
    $('dialog-message').textContent = prompt.message;
    prompt.buttons.forEach((label, i) => {
      const b = element('button', { type: 'button', id: 'dialog-button-' + (i + 1) }, label);
      b.addEventListener('click', () => send({ type: 'dialog', button: i + 1 }));
      buttons.append(b);
    });
    return;
  }
  // The open selector: the page's own file picker stands in for the host's.
  $('dialog-message').textContent = prompt.title + ' (.' + prompt.extension + ')';
  file.hidden = false;
  const input = $('dialog-file-input');
  input.value = '';
  input.accept = prompt.extension ? '.' + prompt.extension : '';
  input.onchange = () => {
    const chosen = input.files[0];
    if (!chosen) return;
    const reader = new FileReader();
    reader.onload = () => {
      const data = reader.result.substring(reader.result.indexOf(',') + 1);
      send({ type: 'dialog', name: chosen.name, data: data });
    };
    reader.readAsDataURL(chosen);
  };
  const cancel = element('button', { type: 'button', id: 'dialog-cancel' }, 'Cancel');
  cancel.addEventListener('click', () => send({ type: 'dialog', cancel: true }));
  buttons.append(cancel);
}

function download(message) {
  const bytes = Uint8Array.from(atob(message.data), (c) => c.charCodeAt(0));
  const link = element('a', { download: message.name });
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// ---- the whole page ----

function draw(state) {
  if (!state) return;
  const count = state.keyboards.length;
  if (page.keyboard > count) page.keyboard = 1;
  drawKeyboardPicker(count);
  drawKeyboard(state.keyboards[page.keyboard - 1]);
  drawHost(state.host);
  drawWindow(state.window);
  document.body.setAttribute('data-ready', 'yes');
}

buildKeyboard();
$('devices-button').addEventListener('click', () => { $('devices-entries').hidden = !$('devices-entries').hidden; });
$('window-close').addEventListener('click', () => send({ type: 'window-close' }));
connect();
